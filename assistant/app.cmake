# Pendrix.exe: the dialog program around the shell and the core, with its resources.
add_executable(Pendrix WIN32 "${CMAKE_CURRENT_SOURCE_DIR}/winmain.cpp")
target_link_libraries(Pendrix PRIVATE pendrix_shell pendrix_resources)
target_link_options(Pendrix PRIVATE -municode)
install(TARGETS Pendrix RUNTIME DESTINATION .)
