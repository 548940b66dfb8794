#!/bin/bash
# Installs the program into a staging folder as the package does and checks what lands there:
# the file list, a stripped program, the menu entry and metadata by their validators, and
# that the package is configured. Usage: install_test.sh BUILD_DIR
set -u
build=$1
stage=$(mktemp -d /tmp/tamiro-install-XXXXXX)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr --strip >"$stage/install.log" 2>&1 \
  || { cat "$stage/install.log"; fail "install"; }

id=com.example.Tamiro
expected="usr/bin/tamiro
usr/share/applications/$id.desktop
usr/share/doc/tamiro/changelog.gz
usr/share/doc/tamiro/copyright
usr/share/man/man1/tamiro.1.gz
usr/share/metainfo/$id.metainfo.xml
usr/share/tamiro/nl.mp3
usr/share/tamiro/zd.mp3"
for size in 16 22 24 32 48 64 128 256; do
  expected+=$'\n'"usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
expected+=$'\n'"usr/share/icons/hicolor/scalable/apps/$id.svg"
actual=$(cd "$stage/root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
diff <(echo "$expected" | LC_ALL=C sort) <(echo "$actual") || fail "installed files differ (< expected, > installed)"

root=$stage/root/usr
[ -x "$root/bin/tamiro" ] || fail "program not executable"
readelf -S "$root/bin/tamiro" | grep -q '\.symtab\|\.debug_info' && fail "program not stripped"
readelf -S "$root/bin/tamiro" | grep -q '\.tamiro_version' || fail "stripping lost the version block"
for size in 16 22 24 32 48 64 128 256; do
  icon=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
  file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "icon $size: $(file "$icon")"
done

entry=$root/share/applications/$id.desktop
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
for line in "Icon=$id" "StartupWMClass=TFrm_Tamiro" "Exec=tamiro" "Categories=Utility;Clock;"; do
  grep -qxF "$line" "$entry" || fail "the entry lacks $line"
done
out=$(appstreamcli validate --no-net --no-color "$root/share/metainfo/$id.metainfo.xml" 2>&1) \
  || fail "appstreamcli validate: $out"
echo "$out" | grep -q '^[EW]:' && fail "appstreamcli validate: $out"

# The package, as `make deb` builds it, in a scratch folder: the same files under /usr, the
# libraries found by shlibdeps and what the program uses without linking it.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$stage/pkg" >"$stage/cpack.log" 2>&1 \
  || { cat "$stage/cpack.log"; fail "cpack"; }
deb=$(ls "$stage"/pkg/tamiro_*_amd64.deb 2>/dev/null) || fail "no tamiro_<version>_amd64.deb"
[ "$(dpkg-deb -f "$deb" Package)" = tamiro ] || fail "package name"
packed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort)
diff <(echo "$expected" | LC_ALL=C sort) <(echo "$packed") || fail "packed files differ (< expected, > packed)"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-wqy-microhei xdg-utils ca-certificates qt6-translations-l10n libqt6widgets6 libpulse0 libc6; do
  [[ ", $depends," == *", $dep"[,\ ]* ]] || fail "Depends lacks $dep: $depends"
done
echo "PASS"
