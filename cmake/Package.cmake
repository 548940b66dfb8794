# The Debian package: `make deb` (cpack -G DEB in the build folder) writes
# tamiro_<version>_amd64.deb. The libraries it needs are found by dpkg-shlibdeps; what it uses
# at run time without linking it is named here.
set(CPACK_PACKAGE_NAME tamiro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Harwen")
set(CPACK_PACKAGE_CONTACT "Tamiro developers <tamiro@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "alarm clock and reminder with a Chinese interface")
set(CPACK_PACKAGE_DESCRIPTION "Velora keeps a list of alarms, each with its own ring mode, reminder text\n\
and MP3 or WAV sound, and rings them from the notification area. It also\n\
chimes every full hour, powers the computer off at a set time and keeps an\n\
activity log. The interface is in Simplified Chinese.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tamiro)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME "tamiro_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese glyphs, the links of the About page, the update check's certificates, Qt's own
# dialogs in Chinese; systemctl for the timed power-off.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, xdg-utils, ca-certificates, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
