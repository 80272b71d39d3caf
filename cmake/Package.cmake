# The Debian package: `cpack -G DEB` in the build tree builds sillaro_<version>_<arch>.deb
# from the install rules, with its dependencies computed by dpkg-shlibdeps.

set(CPACK_PACKAGE_NAME "sillaro")
set(CPACK_PACKAGE_VENDOR "The Sillaro developers")
set(CPACK_PACKAGE_CONTACT "The Sillaro developers <team@sillaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "Sillaro records a side or a whole album from a USB turntable as PCM or one-bit DSD, \
lets you mark the tracks, listen back and choose a gain, and writes every track as its own \
tagged WAV or DSF file. The package also holds Cartova, the recording framework underneath \
(libcartova, its C header and pkg-config file) and the cartova command-line tool.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcartova ships in this package; dpkg-shlibdeps must not look for it elsewhere.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/framework/interface")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Qt loads its platform and SVG plugins at run time, which shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
