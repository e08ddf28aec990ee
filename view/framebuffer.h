#pragma once
// A frame buffer object the view draws into: a colour texture of 8-bit red,
// green and blue and a depth render buffer whose size the driver chooses
// (24 bits here), the attachments and formats that Qt's frame buffer object
// class gives, so that a picture is the same whichever context draws it. Made
// with plain GL calls, because a context that Qt did not make (the display-
// less one of surfacelesscontext.h) has none of Qt's GL functions.

#include <QSize>

class cFrameBuffer {
 public:
  // Needs a current context, which must be current again when the object
  // goes. Valid() tells whether the driver completed it.
  explicit cFrameBuffer(QSize size);
  ~cFrameBuffer();
  cFrameBuffer(const cFrameBuffer&) = delete;
  cFrameBuffer& operator=(const cFrameBuffer&) = delete;

  // Directs drawing and reading to this frame buffer.
  void Bind() const;
  QSize Size() const { return size; }
  bool Valid() const { return valid; }

 private:
  QSize size;
  unsigned int frameBuffer = 0;
  unsigned int colour = 0;
  unsigned int depth = 0;
  bool valid = false;
};
