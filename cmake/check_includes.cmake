# cmake -DFILES="a;b;..." -DCORE_DIRS="..." -P check_includes.cmake: fails when
# one of FILES includes a header of another folder than formats/ and base/, a
# GL header, or a Qt header that is neither Qt Core's (found in one of
# CORE_DIRS, Qt Core's include folders) nor one of Qt Gui's image classes
# below. The readers are used where there is no window (the command line, the
# benchmarks, the fuzzers): images yes, windows, painting and OpenGL no.
cmake_policy(VERSION 3.25)
set(image_classes QImage QImageReader QImageWriter QImageIOHandler QColorSpace
  QColorTransform QPixelFormat QRgb QRgba64 QRgbaFloat16 QRgbaFloat32
  qimage.h qimagereader.h qimagewriter.h qimageiohandler.h qcolorspace.h
  qcolortransform.h qpixelformat.h qrgb.h qrgba64.h qrgbafloat.h)
set(core_headers "")
foreach(dir IN LISTS CORE_DIRS)
  if(dir MATCHES "/QtCore$")
    list(APPEND core_headers ${dir})
  endif()
endforeach()

set(bad "")
foreach(file IN LISTS FILES)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "[<\"][^>\"]*[>\"]" header "${line}")
    set(refused FALSE)
    if(header MATCHES "^\"" AND NOT header MATCHES "^\"(formats|base)/")
      set(refused TRUE)
    elseif(header MATCHES "^<(GL|GLES[0-9]*|EGL|KHR)/")
      set(refused TRUE)
    elseif(header MATCHES "^<QtGui/(.*)>$")
      if(NOT CMAKE_MATCH_1 IN_LIST image_classes)
        set(refused TRUE)
      endif()
    elseif(header MATCHES "^<Qt[A-Za-z]+/" AND NOT header MATCHES "^<QtCore/")
      set(refused TRUE)
    elseif(header MATCHES "^<(Q[A-Za-z0-9]*|q[a-z0-9_]*\\.h)>$")
      # A header without its module: Qt Core's, or an image class's.
      set(name ${CMAKE_MATCH_1})
      set(found FALSE)
      foreach(dir IN LISTS core_headers)
        if(EXISTS ${dir}/${name})
          set(found TRUE)
        endif()
      endforeach()
      if(NOT found AND NOT name IN_LIST image_classes)
        set(refused TRUE)
      endif()
    endif()
    if(refused)
      list(APPEND bad "${file}: ${header}")
    endif()
  endforeach()
endforeach()
if(NOT core_headers)
  list(APPEND bad "no Qt Core include folder given (CORE_DIRS)")
endif()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "formats/ must stay free of windows, GL and other folders:\n  ${text}")
endif()
