# Dear ImGui from Debian's libimgui-dev: the library the package builds, plus its SDL2 and
# SDL_Renderer back ends, which Debian ships as sources among the package's examples and which
# are compiled here as they are, with their warnings kept out of our build output.
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
set(VELA_IMGUI_BACKENDS /usr/share/doc/libimgui-dev/examples/backends CACHE PATH
    "where libimgui-dev keeps the sources of its back ends")
foreach(backend imgui_impl_sdl.cpp imgui_impl_sdlrenderer.cpp)
  if(NOT EXISTS ${VELA_IMGUI_BACKENDS}/${backend})
    message(FATAL_ERROR "${VELA_IMGUI_BACKENDS}/${backend} is missing: install libimgui-dev (scripts/install-deps)")
  endif()
endforeach()
add_library(vela_imgui STATIC
  ${VELA_IMGUI_BACKENDS}/imgui_impl_sdl.cpp
  ${VELA_IMGUI_BACKENDS}/imgui_impl_sdlrenderer.cpp)
target_compile_options(vela_imgui PRIVATE -w)
target_include_directories(vela_imgui SYSTEM PUBLIC ${IMGUI_INCLUDE_DIRS} /usr/include/imgui/backends)
target_link_libraries(vela_imgui PUBLIC PkgConfig::IMGUI PkgConfig::FREETYPE PkgConfig::SDL2)
