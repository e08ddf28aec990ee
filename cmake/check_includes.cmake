# cmake -DFILES="a;b;..." -P check_includes.cmake: fails when one of FILES
# includes a header of another folder than formats/ and base/, a GL header, or
# a Qt module other than Qt Core. The readers are used where there is no
# window (the command line, the benchmarks, the fuzzers).
set(bad "")
foreach(file IN LISTS FILES)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "[<\"][^>\"]*[>\"]" header "${line}")
    if(header MATCHES "^\"" AND NOT header MATCHES "^\"(formats|base)/")
      list(APPEND bad "${file}: ${header}")
    elseif(header MATCHES "^<(GL|GLES[0-9]*|EGL|KHR)/" OR
           (header MATCHES "^<Qt[A-Za-z]+/" AND NOT header MATCHES "^<QtCore/"))
      list(APPEND bad "${file}: ${header}")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "formats/ must stay free of windows, GL and other folders:\n  ${text}")
endif()
