# `make package`: a Debian package of everything this folder installs, under /usr, made by
# CPack; dpkg-shlibdeps finds the libraries it depends on. It is a native package (its
# packaging lives here, so its version is the project's, without a Debian revision). Its own
# adjustments to the installed tree are in debian/layout.cmake; `make install` stays as it is.
set(VELA_PACKAGE_MAINTAINER "Vela maintainers <maintainers@vela.example>" CACHE STRING
    "the Maintainer field of the Debian package")

# The changelog's one entry is dated by SOURCE_DATE_EPOCH when it is set, else by configuring.
string(TIMESTAMP VELA_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)

install(CODE "set(VELA_PACKAGE_COPYRIGHT [[${CMAKE_CURRENT_SOURCE_DIR}/debian/copyright]])
set(VELA_PACKAGE_CHANGELOG [[${CMAKE_CURRENT_BINARY_DIR}/debian/changelog]])")
install(SCRIPT debian/layout.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vela)
set(CPACK_PACKAGE_VENDOR "Vela maintainers")
set(CPACK_PACKAGE_CONTACT "${VELA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_CUSTOM_INSTALL_VARIABLES VELA_DEBIAN_LAYOUT=ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "real-time audiovisual show: 3D scenes, picture effects, tracker music")
set(CPACK_PACKAGE_DESCRIPTION [[
Vela is a show for the desktop: a night voyage through software-rendered 3D
scenes, 2D picture effects, credits, greetings and closing pictures, played in
step with three XM tracker modules. A launcher dialog chooses full screen or a
window, one pass or a loop; it can also render itself to a video file.

The package also holds velatool, a command-line toolkit for Vela's pack
archives, pictures, scene files and music modules.]])
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
