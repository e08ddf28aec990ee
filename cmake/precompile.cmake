# cubiscope_precompile(TARGET HEADER...): compiles the headers nearly every
# file of TARGET includes, Qt's above all, once for the target instead of once
# a file, which takes about two fifths off a build from nothing. Each file
# still includes what it uses: the fuzz build compiles the readers without
# these, and CUBISCOPE_PRECOMPILE=OFF builds everything so.
option(CUBISCOPE_PRECOMPILE "Precompile the Qt and standard headers most files include" ON)

function(cubiscope_precompile target)
  if(NOT CUBISCOPE_PRECOMPILE)
    return()
  endif()
  target_precompile_headers(${target} PRIVATE ${ARGN})
  # GCC before 13 keeps no diagnostic pragma in a precompiled header (its bug
  # 64117), and libstdc++'s char_traits.h switches these three off with one
  # for the string copies it inlines, which GCC 12 then reports as overflows
  # that cannot happen.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-stringop-overflow -Wno-stringop-overread
      -Wno-array-bounds)
  endif()
endfunction()

set(CUBISCOPE_STD_HEADERS
  <algorithm> <cmath> <cstdint> <functional> <memory> <optional> <string> <vector>)
# The mesh writers take the standard ones alone: Qt's keywords (emit, signals)
# are macros that would clash with their names.
set(CUBISCOPE_QT_HEADERS ${CUBISCOPE_STD_HEADERS} <QtCore> <QImage>)
# Qt Gui's umbrella header stays out: its OpenGL header would come before the
# frame buffer's own and hide the extension functions it declares.
set(CUBISCOPE_WIDGET_HEADERS ${CUBISCOPE_QT_HEADERS}
  <QAction> <QApplication> <QFont> <QPainter> <QScrollBar> <QWidget>)
