# The browser build's program (included by src/CMakeLists.txt after `vela`): exceptions where the
# code catches them, and Asyncify for the loops that yield to the page (scripts/build-web puts
# the page, src/platform/web/page, beside it).
set_source_files_properties(vela_main.cpp shell/show_options.cpp platform/sound_player.cpp PROPERTIES COMPILE_OPTIONS -fexceptions)
target_compile_options(vela_command_line PRIVATE -fexceptions)

target_link_options(vela PRIVATE
  -fexceptions -sDISABLE_EXCEPTION_CATCHING=0
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=262144
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
  -sMODULARIZE=1 -sEXPORT_NAME=createVela -sENVIRONMENT=web
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  "-sEXPORTED_RUNTIME_METHODS=['FS','callMain']"
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']")
set_target_properties(vela PROPERTIES SUFFIX .js)
