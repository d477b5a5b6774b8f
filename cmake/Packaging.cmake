# The Debian package: `cpack -G DEB` in a build folder makes penwright_<version>_<arch>.deb from the
# install rules, installed under /usr.
set(CPACK_PACKAGE_NAME penwright)
set(CPACK_PACKAGE_VENDOR Brightmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brightmoor <penwright@brightmoor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multi-document text and source-code editor")
set(CPACK_PACKAGE_DESCRIPTION "Penwright edits many text and source files at once, with syntax\n\
colouring for forty languages, find and replace in files, a hex editor, file\n\
comparison, macros, spell checking, HTML Tidy clean-ups and external tools.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The linked libraries come from dpkg-shlibdeps run on the program. Aspell is opened at run time,
# so no link names it, and the window needs a platform plugin, which Qt's GUI library only
# recommends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libaspell15, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "aspell-en, qt6-wayland, xdg-utils")

include(CPack)
