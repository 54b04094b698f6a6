# Install-time step of the Debian package only: CPack sets VELA_DEBIAN_LAYOUT, `make install`
# does not. It turns the installed tree into the layout Debian's policy asks of a game: the
# show in games/ (from there it still finds its pack in ../share/vela) and the menu entry
# naming it there, since /usr/games is not on every PATH; velatool, a toolkit rather than a
# game, stays in bin/; gzipped manual pages; share/doc/vela with the copyright file and the
# changelog.
# VELA_PACKAGE_COPYRIGHT and VELA_PACKAGE_CHANGELOG are set by the install rule before this.
if(NOT VELA_DEBIAN_LAYOUT)
  return()
endif()
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
find_program(gzip gzip REQUIRED)

file(MAKE_DIRECTORY "${root}/games")
file(RENAME "${root}/bin/vela" "${root}/games/vela")
set(entry "${root}/share/applications/vela.desktop")
file(READ "${entry}" text)
string(REPLACE "Exec=vela\n" "Exec=${CMAKE_INSTALL_PREFIX}/games/vela\n" text "${text}") # and TryExec
file(WRITE "${entry}" "${text}")

# Compressed as Debian's tools do: best compression, no name or time in the gzip header.
file(GLOB manuals "${root}/share/man/man*/*.[1-9]")
foreach(manual ${manuals})
  execute_process(COMMAND ${gzip} -9nf "${manual}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# file(INSTALL) adds DESTDIR itself.
file(INSTALL "${VELA_PACKAGE_COPYRIGHT}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/doc/vela")
file(INSTALL "${VELA_PACKAGE_CHANGELOG}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/doc/vela")
execute_process(COMMAND ${gzip} -9nf "${root}/share/doc/vela/changelog" COMMAND_ERROR_IS_FATAL ANY)
