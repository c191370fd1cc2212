# The Debian package of the programs, their libraries and headers, manual and desktop files.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvale)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brenvale maintainers <brenvale@quorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FIP and WorldFIP fieldbus capture analyser")
set(CPACK_PACKAGE_DESCRIPTION
  "Captures the traffic of FIP and WorldFIP networks through a USB probe card and analyses it: \
frames list, statistics, error counters, network configuration and bus timing, exports for a word \
processor or a spreadsheet. Includes the desktop program brenvale, the command-line tool \
brenvale-cli, and the Vandrel and Kestrin libraries with their headers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Stray packages stay out of the source tree's top.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libreoffice-calc)
# Dependencies come from what the programs and libraries link; our own libraries are in the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
