# Fails the build when a source of the platform-free core includes a Windows header.
# Called with -DSOURCES=<list separated by |>.
string(REPLACE "|" ";" files "${SOURCES}")
set(pattern "#[ \t]*include[ \t]*[<\"](windows|windef|winbase|winuser|wingdi|winreg|winnls|ole2|objbase|oleauto|olectl|unknwn|oaidl|commctrl|shlwapi|tchar|atlbase|afx[a-z]*)\\.h[>\"]")
foreach(file IN LISTS files)
  file(STRINGS "${file}" hits REGEX "${pattern}")
  if(hits)
    message(FATAL_ERROR "${file} belongs to the platform-free core but includes a Windows header: ${hits}")
  endif()
endforeach()
