# A Debian package of the whole program: `cmake --build build --target package` writes
# build/ludomat_<version>_<arch>.deb. Depends comes from the programs' shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ludomat)
set(CPACK_PACKAGE_VENDOR "Ludomat")
set(CPACK_PACKAGE_CONTACT "Ludomat developers <ludomat@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "studio for making simple 2D games with scripts")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ludomat is a small desktop studio for beginners: a script of one command a\n"
    "line (Portuguese or English words) draws text boxes with clickable words,\n"
    "plots, pixels, shapes, pictures, tile maps and sprites on a 760 x 420 screen,\n"
    "driven by registers, labels, keys and the mouse. Visual editors turn\n"
    "drawings, figures, tile maps and sprite sheets into script lines.\n"
    "\n"
    "The package holds the studio, the headless runner ludomat-run, example\n"
    "games copied to the user's data folder on first start, the updater of\n"
    "portable copies, and ludomat-server with its content, which a classroom\n"
    "can run as a service (installed, not enabled).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit's own Portuguese texts (dialog buttons, the help's headings) come from its translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/conffiles)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
