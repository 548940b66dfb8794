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

# What `make deb` hands to CPack.
config=$build/CPackConfig.cmake
grep -q 'set(CPACK_GENERATOR "DEB")' "$config" || fail "CPack is not set up for DEB"
grep -q 'set(CPACK_DEBIAN_FILE_NAME "tamiro_[0-9.]*_amd64.deb")' "$config" || fail "package file name"
grep -q 'set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS "ON")' "$config" || fail "no shlibdeps"
grep -q 'set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")' "$config" || fail "package prefix"
echo "PASS"
