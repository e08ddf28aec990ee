#include "view/turntablefile.h"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <webp/encode.h>
#include <webp/mux.h>

#include "base/errors.h"
#include "base/turntable.h"
#include "view/picturefile.h"

namespace {

const QString kFrame = QStringLiteral("{frame}");

// The muxer's own handle, freed on every way out.
struct MuxFree {
  void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};
using Mux = std::unique_ptr<WebPMux, MuxFree>;

struct AssembledData {
  WebPData data;
  AssembledData() { WebPDataInit(&data); }
  ~AssembledData() { WebPDataClear(&data); }
};

struct EncodedFrame {
  WebPMemoryWriter writer;
  EncodedFrame() { WebPMemoryWriterInit(&writer); }
  ~EncodedFrame() { WebPMemoryWriterClear(&writer); }
};

}  // namespace

// Each frame is encoded by itself and put into the animation whole: libwebp's
// animation encoder would merge a frame that equals the one before into it
// (a turntable of a symmetric or empty scene), and the animation would hold
// fewer frames than asked for.
struct cTurntableFile::Animation {
  Mux mux;
  WebPConfig config;
  QSize size;
};

cTurntableFile::cTurntableFile(const QString& pattern, int frames)
    : pattern(pattern), frames(frames) {
  assert(frames >= 1 && "a turntable of no frames");
  assert((IsAnimation(pattern) || frames == 1 || pattern.contains(kFrame)) &&
         "every frame of a turntable at one path");
  if (IsAnimation(pattern))
    animation = std::make_unique<Animation>();
}

cTurntableFile::~cTurntableFile() {
  for (const QString& path : written)
    QFile::remove(path);
}

bool cTurntableFile::IsAnimation(const QString& pattern) {
  return pattern.endsWith(QLatin1String(".webp"), Qt::CaseInsensitive);
}

QString cTurntableFile::FramePath(const QString& pattern, int frame) {
  return QString(pattern).replace(kFrame, QString::number(frame));
}

void cTurntableFile::Add(const QImage& frame) {
  assert(added < frames && "more frames than the turntable has");
  ++added;
  if (!animation) {
    // Beside the final file, so that putting it in place is a rename within
    // one file system; its suffix tells WritePictureFile the format.
    const QFileInfo final(FramePath(pattern, added));
    QTemporaryFile file(final.absolutePath() + QStringLiteral("/.") + final.completeBaseName() +
                        QStringLiteral(".XXXXXX.") + final.suffix());
    file.setAutoRemove(false);
    if (!file.open())
      throw cFileWriteError(final.filePath(), file.errorString());
    const QString temporary = file.fileName();
    file.close();
    written.push_back(temporary);
    WritePictureFile(frame, temporary, final.filePath());
    return;
  }
  if (frame.isNull())  // a view of no size; as Qt's image writers say it
    throw cFileWriteError(pattern, QStringLiteral("Image is empty"));
  if (!animation->mux) {
    animation->size = frame.size();
    if (!WebPConfigInit(&animation->config))
      throw cFileWriteError(pattern, QStringLiteral("libwebp version mismatch"));
    WebPConfigLosslessPreset(&animation->config, 0);
    animation->mux.reset(WebPMuxNew());
    if (!animation->mux)
      throw cOutOfMemory();
  }
  assert(frame.size() == animation->size && "turntable frames of different sizes");
  // Bytes in R, G, B order whatever the machine's byte order.
  const QImage rgb = frame.convertToFormat(QImage::Format_RGBX8888);
  WebPPicture picture;
  if (!WebPPictureInit(&picture))
    throw cFileWriteError(pattern, QStringLiteral("libwebp version mismatch"));
  picture.use_argb = 1;
  picture.width = rgb.width();
  picture.height = rgb.height();
  EncodedFrame encoded;
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &encoded.writer;
  const bool imported =
      WebPPictureImportRGBX(&picture, rgb.constBits(), static_cast<int>(rgb.bytesPerLine()));
  const bool done = imported && WebPEncode(&animation->config, &picture);
  const WebPEncodingError error = picture.error_code;
  WebPPictureFree(&picture);
  if (!done) {
    if (!imported || error == VP8_ENC_ERROR_OUT_OF_MEMORY)
      throw cOutOfMemory();
    throw cFileWriteError(pattern, QStringLiteral("WebP encoding error %1").arg(error));
  }
  WebPMuxFrameInfo info{};
  info.bitstream.bytes = encoded.writer.mem;
  info.bitstream.size = encoded.writer.size;
  info.duration = frameMilliseconds;
  info.id = WEBP_CHUNK_ANMF;
  info.dispose_method = WEBP_MUX_DISPOSE_NONE;
  info.blend_method = WEBP_MUX_NO_BLEND;
  if (WebPMuxPushFrame(animation->mux.get(), &info, 1) != WEBP_MUX_OK)
    throw cOutOfMemory();
}

void cTurntableFile::Commit() {
  assert(added == frames && "a turntable committed before all its frames");
  if (animation) {
    AssembledData assembled;
    WebPMuxAnimParams params{};
    params.bgcolor = 0xffffffff;
    params.loop_count = 0;  // for ever
    if (WebPMuxSetAnimationParams(animation->mux.get(), &params) != WEBP_MUX_OK ||
        WebPMuxAssemble(animation->mux.get(), &assembled.data) != WEBP_MUX_OK) {
      throw cOutOfMemory();
    }
    QSaveFile file(pattern);
    if (!file.open(QIODevice::WriteOnly))
      throw cFileWriteError(pattern, file.errorString());
    const auto size = static_cast<qint64>(assembled.data.size);
    if (file.write(reinterpret_cast<const char*>(assembled.data.bytes), size) != size) {
      const QString reason = file.errorString();
      file.cancelWriting();
      throw cFileWriteError(pattern, reason);
    }
    if (!file.commit())
      throw cFileWriteError(pattern, file.errorString());
    return;
  }
  for (std::size_t k = 0; k < written.size(); ++k) {
    const QString final = FramePath(pattern, static_cast<int>(k) + 1);
    // rename() replaces a file that is there in one step, as QSaveFile does;
    // QFile::rename would refuse it.
    if (std::rename(QFile::encodeName(written[k]).constData(),
                    QFile::encodeName(final).constData()) != 0) {
      throw cFileWriteError(final, QString::fromLocal8Bit(std::strerror(errno)));
    }
    written[k].clear();
  }
  written.clear();
}

bool WriteTurntable(const QString& pattern, int frames, int theta,
                    const std::function<const QImage&(long double turn)>& frameAt,
                    const std::function<bool(double done)>& going) {
  cTurntableFile file(pattern, frames);
  for (int k = 1; k <= frames; ++k) {
    file.Add(frameAt(TurntableTurn(theta, k, frames)));
    if (going && !going(static_cast<double>(k) / frames))
      return false;
  }
  file.Commit();
  return true;
}
