# The browser build (Debian's Emscripten): the show's libraries and `vela` as JavaScript and
# WebAssembly, over zlib and libopenmpt built from Debian's sources by scripts/build-web-deps.
# Only the show is built: no tests, tools, content or desktop files (the pack comes from the
# native build).
set(VELA_WEB_DEPS ${CMAKE_SOURCE_DIR}/build/web-deps/prefix CACHE PATH
    "where scripts/build-web-deps installed zlib and libopenmpt for the browser")
foreach(lib libz.a libopenmpt.a)
  if(NOT EXISTS ${VELA_WEB_DEPS}/lib/${lib})
    message(FATAL_ERROR "${VELA_WEB_DEPS}/lib/${lib} is missing: run scripts/build-web-deps")
  endif()
endforeach()

# The same names as the native build's packages, so the libraries link them alike.
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION ${VELA_WEB_DEPS}/lib/libz.a
                      INTERFACE_INCLUDE_DIRECTORIES ${VELA_WEB_DEPS}/include)
add_library(PkgConfig::OPENMPT STATIC IMPORTED)
set_target_properties(PkgConfig::OPENMPT PROPERTIES IMPORTED_LOCATION ${VELA_WEB_DEPS}/lib/libopenmpt.a
                      INTERFACE_INCLUDE_DIRECTORIES ${VELA_WEB_DEPS}/include
                      INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

# libc++ 13 lacks std::bit_cast; the loops yield to the browser through Asyncify, which the
# page's script drives; C++ exceptions are caught where the code catches them (options, the
# module player), and only those files are compiled for it.
add_compile_options("SHELL:-include ${CMAKE_SOURCE_DIR}/scripts/web-compat.h")
add_subdirectory(src)
