# The Debian package, from the install rules in dist/CMakeLists.txt:
#   cd build && cpack -G DEB      ->  build/k52_<version>_<arch>.deb
# installable with `apt install ./k52_<version>_<arch>.deb` (scripts/package-test.sh tries it
# on a fresh Debian 12).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME k52)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "K52 programming software <k52@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming software for the K52 hand-held FM radios")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the configuration memory of a K52 hand-held radio over its serial programming cable,\n"
    "edits the channel table and the radio-wide options, and writes it back. Configurations\n"
    "are kept as .dat files. Interface in Simplified Chinese, Traditional Chinese and English.\n"
    "Includes k52cli (data files and transfers from the command line) and k52sim (a simulated\n"
    "radio on a pseudo-terminal).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 libraries (Core, Gui, Widgets, SerialPort, PrintSupport) and the C++ runtime come
# from the programs themselves (dpkg-shlibdeps). The CJK font renders the Chinese interfaces;
# the Liberation fonts are metric-compatible with the families the settings file names
# (Times New Roman, Arial), so the windows look as designed; Qt's translations put its own
# buttons and dialogs into the Chinese interfaces.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-liberation2, qt6-translations-l10n")

include(CPack)
