# Pendrix.exe: the dialog program around the shell and the core, with its resources.
add_executable(Pendrix WIN32 "${CMAKE_CURRENT_SOURCE_DIR}/winmain.cpp")
target_link_libraries(Pendrix PRIVATE pendrix_shell pendrix_resources)
target_link_options(Pendrix PRIVATE -municode)
install(TARGETS Pendrix RUNTIME DESTINATION .)

# The build folder works as an install directory too: the exercise files and the
# settings folder beside the program, as the installer lays them out.
add_custom_command(TARGET Pendrix POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:Pendrix>/Einstellung"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${exercise_files} "$<TARGET_FILE_DIR:Pendrix>"
  VERBATIM)
