#include "app/renderfile.h"

#include <cstdio>
#include <exception>
#include <new>

#include "app/application.h"
#include "app/camera.h"
#include "base/errors.h"
#include "formats/measuredheights.h"
#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "scene/startscene.h"
#include "view/picturefile.h"

cPictureScene::cPictureScene(const PictureRequest& request) {
  FillStartScene(graph, line, surface, volume);
  if (!graph.AttachOffscreen())
    throw cError(std::string("OpenGL のコンテキストを作成できません"));
  graph.Resize(0, 0, request.size.width(), request.size.height());

  if (!request.dataFile.isEmpty()) {
    LoadFileByContent(request.dataFile, RegionalDecimalSeparator(), false, surface, volume);
    // The windows show this over the picture; a script reads it here.
    if (const QString notice = ReducedNotice(surface.values); !notice.isEmpty())
      std::fprintf(stderr, "%s\n", qPrintable(ExceptionText(notice)));
  }
  if (!request.coloursFile.isEmpty())
    LoadFileByContent(request.coloursFile, RegionalDecimalSeparator(), true, surface, volume);

  AimView(graph, request.theta, request.height, request.zoom);
  for (cOpenGLGraph_Data* object :
       {static_cast<cOpenGLGraph_Data*>(&surface), static_cast<cOpenGLGraph_Data*>(&line)}) {
    object->disp3D = request.show[0];
    object->dispXY = request.show[1];
    object->dispYZ = request.show[2];
    object->dispZX = request.show[3];
  }
  graph.planeX.origin.x = PlanePosition(request.planes[0]);
  graph.planeY.origin.y = PlanePosition(request.planes[1]);
  graph.planeZ.origin.z = PlanePosition(request.planes[2]);
  surface.SetLevels(static_cast<std::uint32_t>(request.bands));
  overlays.surface = &surface;
  overlays.font = WindowsFont();
  ApplyLook(request.look, surface, volume, overlays);
}

const QImage& cPictureScene::Draw() {
  graph.Draw();
  return graph.Picture();
}

int RenderPictureFile(const PictureRequest& request, const QString& path) {
  try {
    WritePictureFile(cPictureScene(request).Draw(), path);
    return 0;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s\n", qPrintable(ExceptionText(cOutOfMemory().Message())));
  } catch (const cError& e) {
    std::fprintf(stderr, "%s\n", qPrintable(ExceptionText(e.Message())));
  }
  return 1;
}
