# Installs the build into a fresh folder and checks that every shipped exercise file
# lands directly in it, beside the program.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
file(GLOB shipped "${SOURCE_DIR}/assistant/exercises/files/*.wrx")
list(LENGTH shipped count)
if(count LESS 6)
  message(FATAL_ERROR "only ${count} exercise files in the sources")
endif()
foreach(file IN LISTS shipped)
  get_filename_component(name "${file}" NAME)
  if(NOT EXISTS "${PREFIX}/${name}")
    message(FATAL_ERROR "${name} is not installed next to the program")
  endif()
endforeach()
