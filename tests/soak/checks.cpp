#include "checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QScopeGuard>

#include <GL/gl.h>

#include "app/formroot.h"
#include "base/errors.h"
#include "catalogue.h"
#include "formats/commatext.h"
#include "formats/numbertext.h"
#include "formats/pointtext.h"
#include "input/decimalsymbol.h"
#include "objects/sections.h"
#include "support/turntableframes.h"
#include "view/handlerguard.h"
#include "view/turntablefile.h"
#include "world.h"

namespace {

std::size_t Digest(const void* bytes, std::size_t size) {
  return std::hash<std::string_view>{}(std::string_view(static_cast<const char*>(bytes), size));
}

DataState SurfaceState(const cOpenGLGraph_Surface& surface) {
  // Held at levels, the grid is what the last pass drew: the levels and the
  // range are the data.
  if (const HeightLevels* levels = surface.LevelsOfDetail()) {
    const double range[2] = {surface.values.minimum, surface.values.maximum};
    return {levels, {surface.DataColumns(), surface.DataRows(), 1}, Digest(range, sizeof range)};
  }
  const std::size_t size = std::size_t{surface.columns} * surface.rows * sizeof(Vec3);
  return {surface.vertices,
          {surface.columns, surface.rows, 0},
          surface.vertices ? Digest(surface.vertices, size) : 0};
}

DataState VolumeState(const cOpenGLGraph_Solid& volume) {
  const std::size_t size = std::size_t{volume.nx} * volume.ny * volume.nz * sizeof(float);
  return {
      volume.data, {volume.nx, volume.ny, volume.nz}, volume.data ? Digest(volume.data, size) : 0};
}

bool SamePixels(const QImage& a, const QImage& b) {
  if (a.isNull() || b.isNull())
    return a.isNull() == b.isNull();
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  return x.size() == y.size() &&
         std::memcmp(x.constBits(), y.constBits(), static_cast<std::size_t>(x.sizeInBytes())) == 0;
}

std::string Text(const QString& text) {
  return '"' + text.toStdString() + '"';
}

class Checker {
 public:
  Checker(SoakWorld& world, const Step& step, const Before& before)
      : world(world), step(step), before(before) {}

  std::vector<std::string> Run() {
    for (const std::string& fault : world.inputFaults)
      Fail("input: " + fault);
    if (std::exception_ptr error = TakeHandlerError())
      Fail("an error was left at a handler's boundary: " + Text(ShownText(error)));
    Messages();
    Dialogs();
    Data();
    Save();
    Turntable();
    MeshExport();
    Copy();
    PictureSize();
    Table();
    Profile();
    LevelBox();
    Reloads();
    GlErrors();
    NothingHeld();
    return std::move(faults);
  }

 private:
  void Fail(std::string fault) { faults.push_back(std::move(fault)); }

  void Messages() {
    std::vector<QString> expected = step.messages;
    for (const LoadOutcome& load : step.loads) {
      if (load.failed)
        expected.push_back(load.message);
    }
    const std::vector<QString>& shown = world.messages;
    const bool exact = !step.loads.empty() || !step.messages.empty();
    if (exact && shown != expected) {
      std::string text = "the messages: " + std::to_string(shown.size()) + " shown";
      for (const QString& m : shown)
        text += " " + Text(m);
      text += ", " + std::to_string(expected.size()) + " expected";
      for (const QString& m : expected)
        text += " " + Text(m);
      Fail(text);
    } else if (!exact && shown.size() > 1) {
      std::string text = std::to_string(shown.size()) + " message boxes:";
      for (const QString& m : shown)
        text += " " + Text(m);
      Fail(text);
    }
  }

  void Dialogs() {
    const std::vector<int>& shown = world.openDialogs;
    bool right = shown.size() == step.dialogs.size();
    for (std::size_t i = 0; right && i < shown.size(); ++i)
      right = step.dialogs[i] == 0 || step.dialogs[i] == shown[i];
    if (!right) {
      Fail(std::to_string(shown.size()) + " open dialogs shown, " +
           std::to_string(step.dialogs.size()) + " expected");
    }
    if (world.saveDialogs != (step.save ? 1 : 0))
      Fail(std::to_string(world.saveDialogs) + " save dialogs shown");
    if (world.addressDialogs != step.addressDialogs) {
      std::string text = "the address dialogs: " + std::to_string(world.addressDialogs.size()) +
                         " shown, opening with";
      for (const QString& a : world.addressDialogs)
        text += " " + Text(a);
      text += ", " + std::to_string(step.addressDialogs.size()) + " expected, opening with";
      for (const QString& a : step.addressDialogs)
        text += " " + Text(a);
      Fail(text);
    }
  }

  // The raster's levels as a fresh read holds them: its size, its range,
  // and the heights of its corners and middle cell.
  void SameLevels(const cOpenGLGraph_Surface& surface, const LoadOutcome& from) {
    HeightLevels* levels = surface.LevelsOfDetail();
    if (!levels || surface.DataColumns() != from.columns || surface.DataRows() != from.rows ||
        surface.values.minimum != from.minimum || surface.values.maximum != from.maximum) {
      Fail("the surface's levels are not the file's (expected " + from.what + ")");
      return;
    }
    const std::uint32_t c = from.columns - 1, r = from.rows - 1;
    for (const auto [column, row] : {std::array<std::uint32_t, 2>{0, 0}, {c, r}, {c / 2, r / 2}}) {
      if (levels->CellHeight(column, row) != from.levels->CellHeight(column, row))
        Fail("the surface's levels hold other heights than the file's");
    }
  }

  void Data() {
    const LoadOutcome* surfaceFrom = nullptr;
    const LoadOutcome* volumeFrom = nullptr;
    for (const LoadOutcome& load : step.loads) {
      if (!load.failed)
        (load.volume ? volumeFrom : surfaceFrom) = &load;
    }
    const cOpenGLGraph_Surface& surface = world.status.surface;
    if (!surfaceFrom) {
      if (SurfaceState(surface) != before.surface)
        Fail("the surface's points changed");
    } else if (surfaceFrom->levels) {
      SameLevels(surface, *surfaceFrom);
    } else if (surface.LevelsOfDetail()) {
      Fail("the surface holds levels of detail, expected " + surfaceFrom->what);
    } else if (surface.columns != surfaceFrom->columns || surface.rows != surfaceFrom->rows ||
               (surface.columns * surface.rows > 0 &&
                std::memcmp(surface.vertices, surfaceFrom->points.get(),
                            std::size_t{surface.columns} * surface.rows * sizeof(Vec3)) != 0)) {
      Fail("the surface's points are not the file's (" + std::to_string(surface.columns) + "x" +
           std::to_string(surface.rows) + ", expected " + surfaceFrom->what + ")");
    } else if (const std::uint8_t* present = surface.Grid().present;
               (present == nullptr) != (surfaceFrom->present == nullptr) ||
               (present && std::memcmp(present, surfaceFrom->present.get(),
                                       std::size_t{surface.columns} * surface.rows) != 0)) {
      Fail("the surface's missing points are not the file's");
    }
    const cOpenGLGraph_Solid& volume = world.status.volume;
    if (!volumeFrom) {
      if (VolumeState(volume) != before.volume)
        Fail("the volume's field changed");
    } else if (volume.nx != 64 || volume.ny != 64 || volume.nz != 64 || !volume.data ||
               std::memcmp(volume.data, volumeFrom->counts.get(), 64 * 64 * 64 * sizeof(float)) !=
                   0) {
      Fail("the volume's field is not the file's colour counts");
    }
    // Nothing replaced: the picture shows the same scene again, redrawn.
    if ((step.cancelled || !step.loads.empty()) && !surfaceFrom && !volumeFrom) {
      if (!SamePixels(world.graph.Picture(), world.pictureBeforeLoad))
        Fail("the picture differs from before");
      if (world.graph.FramesPresented() == world.framesBeforeLoad)
        Fail("the picture was not redrawn");
    }
  }

  void Save() {
    if (!step.save || step.save->path.isEmpty()) {
      if (step.save && !world.messages.empty())
        Fail("a cancelled save showed a message");
      return;
    }
    const SaveTarget& target = *step.save;
    const QImage& picture = world.graph.Picture();
    const QFileInfo file(target.path);
    if (target.writable && !picture.isNull()) {
      if (!world.messages.empty())
        Fail("saving to " + target.path.toStdString() + " showed " + Text(world.messages[0]));
      const QImage saved(target.path);
      const QString suffix = file.suffix().toLower();
      if (saved.size() != picture.size())
        Fail("the saved picture is not the picture");
      else if (suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg") &&
               !SamePixels(saved, picture))
        Fail("the saved picture's pixels are not the picture's");
    } else {
      const QString start = QStringLiteral("ファイル %1 に書き込めません").arg(target.path);
      if (world.messages.size() != 1 || !world.messages[0].startsWith(start))
        Fail("a save that cannot be written did not show its one message");
      if (QFileInfo(target.path).isFile())
        Fail("a save that cannot be written left " + target.path.toStdString());
    }
    QStringList now = QDir(QFileInfo(target.path).absolutePath()).entryList(QDir::Files);
    now.removeAll(file.fileName());
    QStringList was = before.folder;
    was.removeAll(file.fileName());
    now.sort();
    was.sort();
    if (now != was)
      Fail("the save changed other files: " + was.join(QLatin1Char('|')).toStdString() + " -> " +
           now.join(QLatin1Char('|')).toStdString());
  }

  // A turntable started from the picture shown: its first frame is that
  // picture, the picture is as it was afterwards, and a failure shows one
  // message and leaves nothing. What it wrote is removed again, so that the
  // folder holds only the loads' files.
  void Turntable() {
    const bool refused = step.turntable && world.turntableDialogs == 0;
    if (world.turntableDialogs != (step.turntable && !refused ? 1 : 0))
      Fail(std::to_string(world.turntableDialogs) + " turntable dialogs shown");
    if (!step.turntable)
      return;
    QDir folder(QFileInfo(step.turntable->path).absolutePath());
    const QStringList written = folder.entryList(
        {QStringLiteral("turntable*"), QStringLiteral(".turntable*")}, QDir::Files | QDir::Hidden);
    const auto removeWritten = qScopeGuard([&] {
      for (const QString& name : written)
        folder.remove(name);
    });
    if (step.turntable->path.isEmpty() || refused) {
      // Refused: a load runs in the background, whose bar the turntable
      // would take; only the refusal is said.
      if (refused && (world.messages.size() != 1 || !world.messages[0].startsWith(kRefusal)))
        Fail("a turntable refused while a load runs did not show its one message");
      if (!written.isEmpty())
        Fail("a turntable not made left " + written.join(QLatin1Char('|')).toStdString());
      return;
    }
    const QImage& picture = world.graph.Picture();
    if (!step.turntable->writable || picture.isNull()) {
      if (world.messages.size() != 1 || !world.messages[0].startsWith(QStringLiteral("ファイル ")))
        Fail("a turntable that cannot be written did not show its one message");
      if (!written.isEmpty())
        Fail("a turntable that failed left " + written.join(QLatin1Char('|')).toStdString());
      return;
    }
    if (!world.messages.empty())
      Fail("the turntable showed " + Text(world.messages[0]));
    const QString pattern = TTurntableDialog::PatternOf(step.turntable->path);
    const std::vector<QImage> frames = ReadTurntableFrames(pattern, step.turntableFrames);
    if (frames.size() != static_cast<std::size_t>(step.turntableFrames))
      Fail("the turntable holds " + std::to_string(frames.size()) + " frames, not " +
           std::to_string(step.turntableFrames));
    else if (!SamePixels(frames[0], picture))
      Fail("the turntable's first frame is not the picture");
    const qsizetype files =
        cTurntableFile::IsAnimation(pattern) ? 1 : static_cast<qsizetype>(frames.size());
    if (written.size() != files)
      Fail("the turntable left other files: " + written.join(QLatin1Char('|')).toStdString());
  }

  // An exported mesh is either the one file asked for, with no message, or
  // one message and no file, nothing beside it either way; what it wrote is
  // removed again.
  void MeshExport() {
    if (world.meshDialogs > (step.mesh ? 1 : 0))
      Fail(std::to_string(world.meshDialogs) + " mesh dialogs shown");
    if (!step.mesh)
      return;
    QDir folder(world.files.Folder());
    const QStringList written = folder.entryList(
        {QStringLiteral("mesh*"), QStringLiteral(".mesh*")}, QDir::Files | QDir::Hidden);
    const auto removeWritten = qScopeGuard([&] {
      for (const QString& name : written)
        folder.remove(name);
    });
    const bool cancelled = step.mesh->path.isEmpty() && world.meshDialogs == 1;
    if (cancelled || (world.messages.size() == 1 && world.meshDialogs == 0)) {
      if (!written.isEmpty())
        Fail("an export not made left " + written.join(QLatin1Char('|')).toStdString());
      return;
    }
    if (world.messages.size() == 1) {
      if (!written.isEmpty())
        Fail("an export that failed left " + written.join(QLatin1Char('|')).toStdString());
      return;
    }
    if (!world.messages.empty())
      Fail(std::to_string(world.messages.size()) + " messages after an export");
    if (written != QStringList{QFileInfo(step.mesh->path).fileName()})
      Fail("the export left " + written.join(QLatin1Char('|')).toStdString());
  }

  static inline const QString kRefusal = QStringLiteral("読み込みの途中です");

  void Copy() {
    const QImage& picture = world.graph.Picture();
    if (step.copy && !picture.isNull() &&
        !SamePixels(QGuiApplication::clipboard()->image(), picture)) {
      Fail("the clipboard does not hold the picture");
    }
  }

  void PictureSize() {
    const QSize frame = world.frame.size();
    const QImage& picture = world.graph.Picture();
    if (frame.isEmpty() ? !picture.isNull() : picture.size() != frame) {
      Fail("the picture is " + std::to_string(picture.width()) + "x" +
           std::to_string(picture.height()) + ", the frame " + std::to_string(frame.width()) + "x" +
           std::to_string(frame.height()));
    }
  }

  // Once the table has been left, every row up to the first cell that holds
  // a number too large to take shows its point as the window writes it.
  void Table() {
    TFormStatus& status = world.status;
    if (TableHasFocus(status))
      return;
    const std::optional<QPoint> tooLarge = CellTooLarge(status);
    for (std::uint32_t i = 0; i < status.line.count; ++i) {
      const int row = static_cast<int>(i) + 1;
      if (tooLarge && tooLarge->y() == row)
        return;
      const std::vector<std::string> cells =
          CommaTextCells(PointToText(status.line.vertices[i]), 3);
      for (int column = 0; column < 3; ++column) {
        if (status.Cell(column, row).toStdString() != cells[column]) {
          Fail("table row " + std::to_string(row) + " shows " +
               Text(status.Cell(0, row) + "," + status.Cell(1, row) + "," + status.Cell(2, row)) +
               " for " + PointToText(status.line.vertices[i]));
          return;
        }
      }
    }
  }

  void LevelBox() {
    const TFormStatus& status = world.status;
    if (QApplication::focusWidget() == status.ui.EditLevel)
      return;
    if (status.ui.EditLevel->text() != QString::number(status.ui.UpDownLevel->value())) {
      Fail("the grey-level box shows " + Text(status.ui.EditLevel->text()) + ", the spinner " +
           std::to_string(status.ui.UpDownLevel->value()));
    }
  }

  void Reloads() {
    if (world.status.LoadedFiles().All() != world.remembered.All())
      Fail("F5 would load other files than the loads read last, or load them otherwise");
    if (world.root.ui.ActionWatch->isChecked() != world.watching)
      Fail(std::string("\"Reload when the file changes\" is ") + (world.watching ? "off" : "on"));
  }

  void GlErrors() {
    cOpenGLGraph& graph = world.graph;
    if (!graph.glContext || !graph.glContext->makeCurrent(graph.memoryDC.get())) {
      Fail("the view has no context to make current");
      return;
    }
    for (int i = 0; i < 8; ++i) {
      const GLenum error = glGetError();
      if (error == GL_NO_ERROR)
        return;
      Fail("GL error " + std::to_string(error) + " pending");
    }
  }

  // The Profile window, shown with everything at rest, shows the sections
  // of the data as they are: cut again now, they are the same.
  void Profile() {
    const TProfileWindow* profile = world.root.profile.get();
    if (!profile || !profile->isVisible() || !world.graph.AtRest() || world.status.PlaneHeld() ||
        !profile->Shown().final)
      return;
    const cOpenGLGraph_Line& line = world.status.line;
    const Sections now =
        CutSections(world.status.surface, {world.graph.planeX.origin.x, world.graph.planeY.origin.y,
                                           line.vertices, line.vertices ? line.count : 0});
    const auto same = [](const Section& a, const Section& b) {
      return std::equal(a.samples.begin(), a.samples.end(), b.samples.begin(), b.samples.end(),
                        [](const SectionSample& p, const SectionSample& q) {
                          const auto equal = [](double u, double v) {
                            return u == v || (std::isnan(u) && std::isnan(v));
                          };
                          return equal(p.distance, q.distance) && equal(p.x, q.x) &&
                                 equal(p.y, q.y) && equal(p.value, q.value);
                        });
    };
    const Sections& shown = profile->Shown();
    if (now.final && !(same(now.xPlane, shown.xPlane) && same(now.yPlane, shown.yPlane) &&
                       same(now.line, shown.line)))
      Fail("the Profile window does not show the sections of the data");
  }

  void NothingHeld() {
    if (QApplication::overrideCursor())
      Fail("the busy cursor stayed");
    if (QWidget* popup = QApplication::activePopupWidget())
      Fail("a popup stayed open: " + NameOf(popup));
    if (QApplication::activeModalWidget())
      Fail("a modal window stayed open");
    if (QWidget::mouseGrabber())
      Fail("the mouse is still grabbed by " + NameOf(QWidget::mouseGrabber()));
    if (QWidget::keyboardGrabber())
      Fail("the keyboard is still grabbed");
    if (!world.root.isVisible() || !world.status.isVisible() || FormRoot != &world.root ||
        FormStatus != &world.status)
      Fail("a window closed");
  }

  SoakWorld& world;
  const Step& step;
  const Before& before;
  std::vector<std::string> faults;
};

}  // namespace

std::optional<QPoint> CellTooLarge(const TFormStatus& status) {
  const DecimalSeparator separator = RegionalDecimalSeparator();
  for (int row = 1; row <= static_cast<int>(status.line.count); ++row) {
    for (int column = 0; column < 3; ++column) {
      const QByteArray text = status.Cell(column, row).toUtf8();
      try {
        TextToNumber(std::string_view(text.constData(), text.size()), 0.0, separator);
      } catch (const cOverflow&) {
        return QPoint(column, row);
      }
    }
  }
  return std::nullopt;
}

bool TableHasFocus(const TFormStatus& status) {
  const QWidget* focus = status.focusWidget();
  return focus &&
         (focus == status.ui.StringGridData || status.ui.StringGridData->isAncestorOf(focus));
}

Before TakeBefore(SoakWorld& world, const Step& step) {
  Before before;
  before.surface = SurfaceState(world.status.surface);
  before.volume = VolumeState(world.status.volume);
  if (!step.loads.empty() && step.dialogs.empty())
    world.DrawSceneBeforeLoad();
  if (step.save && !step.save->path.isEmpty())
    before.folder = QDir(QFileInfo(step.save->path).absolutePath()).entryList(QDir::Files);
  return before;
}

std::vector<std::string> CheckAfter(SoakWorld& world, const Step& step, const Before& before) {
  return Checker(world, step, before).Run();
}
