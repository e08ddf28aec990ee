#include "app/renderfile.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>

#include <QScopeGuard>

#include <unistd.h>

#include "app/application.h"
#include "app/meshsource.h"
#include "app/profilefile.h"
#include "base/errors.h"
#include "formats/loadprogress.h"
#include "formats/measuredheights.h"
#include "input/decimalsymbol.h"
#include "input/loadobject.h"
#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"
#include "scene/finaldetail.h"
#include "scene/startscene.h"
#include "view/frameopengl.h"
#include "view/picturefile.h"
#include "view/turntablefile.h"

namespace {

// Loads as LoadFileByContent does; where standard error is a terminal, a
// line there tells how far the load is, whole percents, and goes when it
// ends.
void LoadTelling(const QString& path, bool colours, cOpenGLGraph_Surface& surface,
                 cOpenGLGraph_Solid& volume) {
  const QByteArray name = path.toLocal8Bit();
  LoadProgress progress;
  int shown = -1;
  progress.onReport = [&](const LoadProgress& reported) {
    const int percent = static_cast<int>(reported.Fraction() * 100);
    if (percent != shown) {
      shown = percent;
      std::fprintf(stderr, "\r%s: %d %%", name.constData(), percent);
    }
  };
  std::optional<ScopedLoadProgress> current;
  const auto endLine = qScopeGuard([&current] {
    if (current)
      std::fputs("\r\033[K", stderr);
  });
  if (::isatty(STDERR_FILENO))
    current.emplace(progress);
  LoadFileByContent(path, RegionalDecimalSeparator(), colours, surface, volume);
}

// Loads request's data file and colours file; returns the note the windows
// would show over the picture (a raster read reduced), empty when none.
QString LoadFiles(const PictureRequest& request, cOpenGLGraph_Surface& surface,
                  cOpenGLGraph_Solid& volume) {
  QString notice;
  if (!request.dataFile.isEmpty()) {
    LoadTelling(request.dataFile, false, surface, volume);
    notice = ReducedNotice(surface.values);
  }
  if (!request.coloursFile.isEmpty())
    LoadTelling(request.coloursFile, true, surface, volume);
  return notice;
}

}  // namespace

struct cPictureScene::Objects {
  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
};

cPictureScene::cPictureScene(QSize size) {
  if (!graph.AttachOffscreen())
    throw cError(std::string("OpenGL のコンテキストを作成できません"));
  graph.Resize(0, 0, size.width(), size.height());
}

cPictureScene::cPictureScene(const PictureRequest& request) : cPictureScene(request.size) {
  Show(request);
}

cPictureScene::~cPictureScene() = default;

QString cPictureScene::Show(const PictureRequest& request) {
  // Fresh objects, so that nothing of the last request is left but the
  // context; the old ones go first, so that two files never take memory at
  // once.
  graph.preObjects.clear();
  graph.postObjects.clear();
  overlays.surface = nullptr;
  objects.reset();
  objects = std::make_unique<Objects>();
  cOpenGLGraph_Surface& surface = objects->surface;
  cOpenGLGraph_Solid& volume = objects->volume;
  FillStartScene(graph, objects->line, surface, volume);

  const QString notice = LoadFiles(request, surface, volume);

  Camera camera = graph.ViewCamera();
  camera.LookAtData(request.centre);
  graph.SetCamera(camera);
  AimView(graph, request.theta, request.height, request.zoom);
  for (cOpenGLGraph_Data* object : {static_cast<cOpenGLGraph_Data*>(&surface),
                                    static_cast<cOpenGLGraph_Data*>(&objects->line)}) {
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
  // What the look could not do goes where the notes go.
  const QString told = ApplyLook(request.look, graph, surface, volume, overlays);
  if (notice.isEmpty() || told.isEmpty())
    return notice + told;
  return notice + QLatin1Char('\n') + told;
}

const QImage& cPictureScene::Draw() {
  const std::uint64_t coarse = objects->surface.CoarseDraws();
  graph.Draw();
  if (objects->surface.CoarseDraws() != coarse)
    DrawFinalDetail(graph, objects->surface);
  // Lines asked for and missing would pass for data without levels.
  if (const QString& problem = objects->surface.ContourProblem(); !problem.isEmpty())
    throw cError(problem);
  return graph.Picture();
}

cOpenGLGraph_Surface& cPictureScene::Surface() {
  return objects->surface;
}

void cPictureScene::Aim(long double theta, int height, int zoom) {
  AimView(graph, theta, height, zoom);
}

namespace {

// Prints message as the message box would show it, after the name of the
// file it concerns when there is one.
void Print(const QString& file, const QString& message) {
  const QString text = ExceptionText(message);
  if (file.isEmpty())
    std::fprintf(stderr, "%s\n", qPrintable(text));
  else
    std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(text));
}

// Runs step; prints what stops it. Returns whether it ran through.
template <class Step>
bool Reported(const QString& file, Step&& step) {
  try {
    step();
    return true;
  } catch (const std::bad_alloc&) {
    Print(file, cOutOfMemory().Message());
  } catch (const cError& e) {
    Print(file, e.Message());
  }
  return false;
}

// Writes the turntable of request, whose scene shows, to pattern; where
// standard error is a terminal, a line there counts the frames, and goes
// when they end.
void DrawTurntable(cPictureScene& scene, const PictureRequest& request, const QString& pattern) {
  const bool telling = ::isatty(STDERR_FILENO);
  const auto endLine = qScopeGuard([telling] {
    if (telling)
      std::fputs("\r\033[K", stderr);
  });
  const QByteArray name = pattern.toLocal8Bit();
  int frame = 0;
  WriteTurntable(
      pattern, request.turntable, request.theta,
      [&](long double turn) -> const QImage& {
        scene.Aim(turn, request.height, request.zoom);
        return scene.Draw();
      },
      [&](double) {
        if (telling)
          std::fprintf(stderr, "\r%s: %d / %d", name.constData(), ++frame, request.turntable);
        return true;
      });
}

// Loads request's files into objects of their own, without any view, and
// writes the sections along its planes to path. Returns the note the windows
// would show over the picture, as cPictureScene::Show does.
QString WriteSectionsAlone(const PictureRequest& request, const QString& path) {
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
  const QString notice = LoadFiles(request, surface, volume);
  WriteProfileFile(surface, PlanePosition(request.planes[0]), PlanePosition(request.planes[1]),
                   path);
  return notice;
}

}  // namespace

int RenderPictureFiles(const PictureRequest& request, const std::vector<OutputPicture>& pictures) {
  // Sections alone need no context, and so run where OpenGL is missing.
  // A mesh takes the look (colour map, vertical scale) that the scene
  // sets up.
  const bool drawing = std::any_of(pictures.begin(), pictures.end(), [](const OutputPicture& p) {
    return !p.path.isEmpty() || !p.mesh.isEmpty();
  });
  std::optional<cPictureScene> scene;
  if (drawing && !Reported(QString(), [&] { scene.emplace(request.size); }))
    return 1;
  int status = 0;
  for (const OutputPicture& picture : pictures) {
    // A single picture's messages stay as they always were; in a run of
    // several, the file tells which picture they belong to.
    const QString name = pictures.size() > 1 ? picture.dataFile : QString();
    PictureRequest one = request;
    one.dataFile = picture.dataFile;
    const bool written = Reported(name, [&] {
      if (!drawing) {
        if (const QString notice = WriteSectionsAlone(one, picture.profile); !notice.isEmpty())
          Print(name, notice);
        return;
      }
      // The windows show this over the picture; a script reads it here.
      if (const QString notice = scene->Show(one); !notice.isEmpty())
        Print(name, notice);
      if (!picture.path.isEmpty() && one.turntable > 0)
        DrawTurntable(*scene, one, picture.path);
      else if (!picture.path.isEmpty())
        WritePictureFile(scene->Draw(), picture.path);
      if (!picture.profile.isEmpty())
        WriteProfileFile(scene->Surface(), scene->View().planeX.origin.x,
                         scene->View().planeY.origin.y, picture.profile);
      if (!picture.mesh.isEmpty())
        ExportMesh(MeshSourceOf(scene->Surface()), one.mesh, *MeshFormatOf(picture.mesh),
                   picture.mesh, nullptr);
    });
    if (!written)
      status = 1;
  }
  return status;
}
