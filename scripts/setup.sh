#!/bin/sh
# Installs what Tamiro needs to build, run and test on Debian 12; skips what is there.
set -e
# libasan8 and libubsan1 are the runtimes of the sanitizer test pass (make test builds it with gcc).
packages="build-essential cmake ninja-build pkg-config libasan8 libubsan1
  qt6-base-dev qt6-translations-l10n libjpeg62-turbo-dev libsndfile1-dev libpulse-dev libcurl4-openssl-dev
  ca-certificates libsodium-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev xvfb xauth x11-utils xdotool trayer openbox dbus dbus-bin at-spi2-core python3-pyatspi
  fonts-wqy-microhei fonts-urw-base35
  dpkg-dev file desktop-file-utils appstream pulseaudio pulseaudio-utils"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
