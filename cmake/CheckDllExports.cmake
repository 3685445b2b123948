# Checks a COM server DLL: its machine type, exactly the four standard entry points
# exported by name, and no runtime DLL imported that a clean Windows lacks. Needs no
# Windows, so it also checks builds whose programs cannot run here.
# Called with -DOBJDUMP=<objdump> -DFILE=<dll> -DFORMAT=<pei-i386|pei-x86-64>.
execute_process(COMMAND "${OBJDUMP}" -p "${FILE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read ${FILE}")
endif()
if(NOT dump MATCHES "file format ${FORMAT}")
  message(FATAL_ERROR "${FILE} is not ${FORMAT}")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)+)" table "${dump}")
# Brackets would confuse CMake's lists: drop the ordinals first.
string(REGEX REPLACE "[ \t]*\\[[ 0-9]*\\] " "" table "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_@]*" names "${table}")
list(SORT names)
set(expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "${FILE} exports '${names}', expected '${expected}'")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  if(import MATCHES "(libstdc|libgcc|libwinpthread|libssp|msvcp|vcruntime)")
    message(FATAL_ERROR "${FILE} needs a runtime DLL: ${import}")
  endif()
endforeach()
message(STATUS "${FILE}: ${FORMAT}, exports ${names}")
