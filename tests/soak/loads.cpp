// The Status window's buttons, files dropped on the main window or named on
// the command line, files that another program writes, and what the keys and
// menus that load, save, copy or reload lead to.

#include <cstdio>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

#include "app/colourrangetext.h"
#include "app/commandline.h"
#include "app/entry.h"
#include "app/renderfile.h"
#include "base/errors.h"
#include "base/scopedoverride.h"
#include "catalogue.h"
#include "checks.h"
#include "formats/memorylimit.h"
#include "formats/webaddress.h"
#include "input.h"
#include "input/loadjob.h"
#include "support/bmpwriter.h"
#include "support/dropfile.h"
#include "support/turntableframes.h"
#include "world.h"

void ExpectDialogLoad(SoakWorld& world, Step& step, Reader reader, int filter) {
  SoakRandom& random = world.random;
  step.dialogs.push_back(filter);
  const std::size_t answer = random.Weighted({16, 2, 2});
  const int filterChosen = random.Between(0, 4);  // 0: the dialog reports none
  QString path;
  std::string what;
  if (answer == 1) {
    step.cancelled = true;
    step.description += ", cancel the dialog";
    return;
  }
  if (answer == 2 && !world.status.OpenDialog.FileName.isEmpty()) {
    path = world.status.OpenDialog.FileName;
    what = "the file chosen last";
  } else {
    const SoakFile file = world.files.Any();
    path = file.path;
    what = file.what;
  }
  step.openAnswer = TOpenDialog::Choice{path, filterChosen};
  step.loads.push_back(ExpectedLoad(reader, path));
  step.description += ", choose " + what + ": " + step.loads.back().what;
}

void ExpectSave(SoakWorld& world, Step& step) {
  if (world.random.OneIn(10)) {
    step.save = SaveTarget{QString(), false, "cancel"};
    step.description += ", cancel the dialog";
    return;
  }
  step.save = world.files.AnySaveTarget();
  step.saveAnswer = step.save->path;
  step.description += ", " + step.save->what;
}

void ExpectTurntable(SoakWorld& world, Step& step) {
  if (world.random.OneIn(10)) {
    step.turntable = SaveTarget{QString(), false, "cancel"};
    step.description += ", cancel the dialog";
    return;
  }
  // A few frames: each is a full picture of whatever the soak has loaded.
  step.turntable = world.files.AnyTurntableTarget();
  step.turntableFrames = world.random.Between(1, 4);
  step.description +=
      ", " + step.turntable->what + " of " + std::to_string(step.turntableFrames) + " frames";
}

namespace {

// Mesh settings of every kind: plain, simplified, lithophanes with and
// without a frame, and sizes down to a fraction of a millimetre.
MeshSettings AnyMeshSettings(SoakRandom& random) {
  MeshSettings settings;
  settings.sizeMm = random.Pick({120.0, 0.5, 1000.0});
  settings.baseMm = random.Pick({2.0, 0.01});
  if (random.OneIn(2))
    settings.maxError = random.Pick({0.001, 0.5, 10.0});
  if (random.OneIn(4))
    settings.litho = LithoSettings{0.8, 3.0, random.Pick({0.0, 5.0})};
  return settings;
}

std::string MeshSettingsText(const MeshSettings& s) {
  std::string text =
      " --mesh-size " + std::to_string(s.sizeMm) + " --mesh-base " + std::to_string(s.baseMm);
  if (s.maxError)
    text += " --mesh-error " + std::to_string(*s.maxError);
  if (s.litho)
    text += " --litho 0.8,3," + std::to_string(s.litho->frameMm);
  return text;
}

// The mesh file at path begins as its format's files do, and a binary STL
// is as long as its count of triangles says.
bool WholeMesh(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray head = file.read(84);
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("stl")) {
    if (head.size() != 84)
      return false;
    std::uint32_t count = 0;
    std::memcpy(&count, head.constData() + 80, 4);
    return file.size() == 84 + 50 * static_cast<qint64>(count);
  }
  if (suffix == QLatin1String("3mf"))
    return head.startsWith("PK");
  if (suffix == QLatin1String("glb"))
    return head.startsWith("glTF");
  return head.startsWith("ply\n");
}

}  // namespace

void ExpectMeshExport(SoakWorld& world, Step& step) {
  if (world.random.OneIn(10)) {
    step.mesh = SaveTarget{QString(), false, "cancel"};
    step.description += ", cancel the dialog";
    return;
  }
  step.mesh = world.files.AnyMeshTarget();
  step.meshSettings = AnyMeshSettings(world.random);
  // The whole grid of a large surface would be most of a soak's time.
  const cOpenGLGraph_Surface& surface = world.status.surface;
  if (std::uint64_t{surface.DataColumns()} * surface.DataRows() > (1u << 18))
    step.meshSettings.maxError = 10.0;
  step.description += ", " + step.mesh->what + MeshSettingsText(step.meshSettings);
}

void OutputMesh(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const SoakFile file = world.files.Any();
  PictureRequest request;
  request.dataFile = file.path;
  request.mesh = AnyMeshSettings(random);
  request.look.zScale = random.Pick({1.0, 0.25, 8.0});
  request.look.colourMap =
      random.Pick({ColourMapKind::kGrey, ColourMapKind::kTerrain, ColourMapKind::kPicture});
  const QString name = QString::fromLatin1(random.Pick({"m.stl", "m.3mf", "m.glb", "m.ply"}));
  const bool picture = random.OneIn(3);
  step.description = "--export-mesh " + name.toStdString() + MeshSettingsText(request.mesh) +
                     (picture ? " with --output" : "") + " of " + file.what;
  step.perform = [request, name, picture](SoakWorld& w) {
    const QTemporaryDir dir;
    const QString mesh = dir.filePath(name);
    const QString still = picture ? dir.filePath(QStringLiteral("m.png")) : QString();
    // A large surface is refused rather than meshed whole.
    const ScopedMemoryLimit limit(std::uint64_t{256} << 20);
    const int status = RenderPictureFiles(request, {{request.dataFile, still, {}, mesh}});
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    if (status != 0 && left.contains(name))
      w.inputFaults.push_back("a mesh that failed was left");
    if (status != 0 && left.size() > (picture && left.contains(QStringLiteral("m.png")) ? 1 : 0))
      w.inputFaults.push_back("a mesh that failed left " +
                              left.join(QLatin1Char('|')).toStdString());
    if (status == 0 && !WholeMesh(mesh))
      w.inputFaults.push_back("the mesh written is not whole");
  };
}

void ExpectCopy(Step& step) {
  step.copy = true;
}

void ClickButton(SoakWorld& world, Step& step) {
  TFormStatus& status = world.status;
  // Load and LoadBMP2 are hidden, and still take a click.
  QPushButton* const buttons[] = {status.ui.ButtonCopy, status.ui.ButtonLoad,
                                  status.ui.ButtonLoadBMP, status.ui.ButtonLoadBMP2};
  const std::size_t which = world.random.Weighted({3, 3, 4, 3});
  QPushButton* button = buttons[which];
  step.description = "click " + NameOf(button);
  step.perform = [button](SoakWorld& w) {
    ActivateFor(w, &w.status);
    input::Click(button, button->rect().center());
  };
  // A visible button takes the focus: a click that leaves the table reads it
  // first, and a number too large there ends the click with its message.
  if (button->isVisible() && TableHasFocus(status) && CellTooLarge(status)) {
    step.messages.push_back(ShownText(std::make_exception_ptr(cOverflow())));
    step.description += ", leaving the table with a number too large";
    return;
  }
  switch (which) {
    case 0:
      ExpectCopy(step);
      break;
    case 1:
      ExpectDialogLoad(world, step, Reader::PointGrid, 0);
      break;
    case 2:
      ExpectDialogLoad(world, step, Reader::HeightField, 3);
      break;
    default:
      ExpectDialogLoad(world, step, Reader::ColourCount, 0);
      break;
  }
}

void DropOnMain(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  if (random.OneIn(12)) {
    // Neither one local file nor a web address: the window refuses the drag
    // and nothing happens.
    const SoakFile file = world.files.Any();
    const bool two = random.OneIn(2);
    const QString link =
        QString::fromLatin1(random.Pick({"ftp://127.0.0.1/file.bmp", "mailto:someone@example.org",
                                         "http:///file.bmp", "data:,1%202%203"}));
    step.description =
        two ? "drag two files onto the main window" : "drag a link to " + link.toStdString();
    step.perform = [path = file.path, two, link](SoakWorld& w) {
      QMimeData data;
      data.setUrls(two ? QList<QUrl>{QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)}
                       : QList<QUrl>{QUrl(link)});
      QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(&w.root, &enter);
      if (enter.isAccepted())
        w.inputFaults.push_back("the main window accepted the drag");
    };
    return;
  }
  const SoakFile file = world.files.Any();
  const bool shift = random.OneIn(3);
  step.loads.push_back(
      ExpectedLoad(shift ? Reader::ByContentColours : Reader::ByContent, file.path));
  step.description = std::string("drop ") + (shift ? "with Shift " : "") + file.what + ": " +
                     step.loads.back().what;
  step.perform = [path = file.path, shift](SoakWorld& w) {
    if (!DropFile(w.root, path, shift ? Qt::ShiftModifier : Qt::NoModifier))
      w.inputFaults.push_back("the main window refused the drop");
  };
}

void OpenFromCommandLine(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const std::size_t kind = random.Weighted({5, 2, 2});  // file, colours file, both
  CommandLine commandLine;
  step.description = "open as named on the command line:";
  // The colours file loads first. Either may be a web address, served one
  // time in webOdds.
  const auto name = [&](bool colours, std::size_t webOdds, const std::string& option) {
    if (random.OneIn(webOdds)) {
      WebLoad load = ServedAddress(world, colours, false);
      step.description += option + load.what + ": " + load.outcome.what;
      step.loads.push_back(std::move(load.outcome));
      return load.address;
    }
    const SoakFile file = world.files.Any();
    step.loads.push_back(
        ExpectedLoad(colours ? Reader::ByContentColours : Reader::ByContent, file.path));
    step.description += option + file.what + ": " + step.loads.back().what;
    return file.path;
  };
  if (kind != 0)
    commandLine.coloursFile = name(true, 8, " --colours ");
  if (kind != 1)
    commandLine.file = name(false, 6, " ");
  step.perform = [commandLine](SoakWorld&) { OpenAfterStartUp(commandLine); };
}

void OutputTurntable(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const SoakFile file = world.files.Any();
  PictureRequest request;
  request.size = QSize(random.Between(1, 200), random.Between(1, 150));
  request.theta = random.Between(-9000, 18000);
  request.turntable = random.Between(1, 4);
  request.dataFile = file.path;
  // Lines at the bar's values, at a usual step, and at one too fine for
  // most data, which fails every frame alike.
  request.look.contours = random.OneIn(3);
  request.look.contourStep = random.Pick({0.0, 0.05, 25.0, 1e-6});
  request.look.contourLabels = request.look.contours && random.OneIn(2);
  const bool webp = random.OneIn(2);
  step.description =
      "--output --turntable " + std::to_string(request.turntable) + " --turn " +
      QString::number(request.theta / 100.0, 'f', 2).toStdString() +
      (request.look.contours
           ? " --contours " + QString::number(request.look.contourStep).toStdString() +
                 (request.look.contourLabels ? " --contour-labels" : "")
           : "") +
      " to " + (webp ? "a WebP" : "PNG frames") + " of " + file.what;
  step.perform = [request, webp](SoakWorld& w) {
    const QTemporaryDir dir;
    const QString pattern =
        dir.filePath(webp ? QStringLiteral("t.webp") : QStringLiteral("t-{frame}.png"));
    const QString still = dir.filePath(QStringLiteral("still.png"));
    PictureRequest alone = request;
    alone.turntable = 0;
    const int status = RenderPictureFiles(request, {{request.dataFile, pattern}});
    if (RenderPictureFiles(alone, {{request.dataFile, still}}) != status)
      w.inputFaults.push_back("the turntable's exit status is not the still picture's");
    const std::vector<QImage> frames = ReadTurntableFrames(pattern, request.turntable);
    if (status != 0) {
      if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() > 0)
        w.inputFaults.push_back("a turntable that failed left files");
    } else if (frames.size() != static_cast<std::size_t>(request.turntable)) {
      w.inputFaults.push_back("the turntable holds " + std::to_string(frames.size()) + " frames");
    } else if (frames[0] != QImage(still).convertToFormat(QImage::Format_RGB32)) {
      w.inputFaults.push_back("the turntable's first frame is not the still picture");
    }
  };
}

void OutputColourRange(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const SoakFile file = world.files.Any();
  PictureRequest request;
  request.size = QSize(random.Between(1, 200), random.Between(1, 150));
  request.dataFile = file.path;
  request.look.colourBar = random.OneIn(2);
  request.look.logColours = random.OneIn(2);
  // Ranges of every kind, those beyond the data and of one value among them.
  const char* const text = random.Pick(
      {"full", "2%,98%", "0.5%,99.5%", "0%,100%", "49.9%,50%", "0.2,0.7", "-5,1e9", "1e-9,2e-9"});
  request.look.colourRange = std::get<ColourRange>(ReadColourRange(QString::fromLatin1(text)));
  step.description = std::string("--output --range ") + text +
                     (request.look.logColours ? " --log" : "") + " of " + file.what;
  step.perform = [request](SoakWorld& w) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.png"));
    PictureRequest full = request;
    full.look.colourRange = ColourRange();
    full.look.logColours = false;
    // Loading decides: the colours never make a picture fail.
    const int status = RenderPictureFiles(request, {{request.dataFile, path}});
    if (RenderPictureFiles(full, {{request.dataFile, dir.filePath(QStringLiteral("f.png"))}}) !=
        status)
      w.inputFaults.push_back("--range's exit status is not the full range's");
    if (status == 0 && QImage(path).size() != request.size)
      w.inputFaults.push_back("the picture of --range is not the size asked for");
  };
}

void OutputProfile(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const SoakFile file = world.files.Any();
  PictureRequest request;
  request.planes[0] = random.Between(0, 1000);
  request.planes[1] = random.Between(0, 1000);
  request.dataFile = file.path;
  const bool picture = random.OneIn(2);
  step.description = "--profile --planes " + std::to_string(request.planes[0]) + "," +
                     std::to_string(request.planes[1]) + " thousandths" +
                     (picture ? " with --output" : "") + " of " + file.what;
  step.perform = [request, picture](SoakWorld& w) {
    const QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("p.csv"));
    const QString still = picture ? dir.filePath(QStringLiteral("p.png")) : QString();
    // Loading decides: with or without the picture, the same status.
    const int status = RenderPictureFiles(request, {{request.dataFile, still, csv}});
    const int alone = RenderPictureFiles(request, {{request.dataFile, QString(), csv}});
    if (status != alone)
      w.inputFaults.push_back("--profile's exit status depends on --output");
    QFile written(csv);
    if (status != 0) {
      if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() > 0)
        w.inputFaults.push_back("a profile that failed left files");
    } else if (!written.open(QIODevice::ReadOnly) ||
               written.readLine() != "section,distance,x,y,value\n") {
      w.inputFaults.push_back("the profile has no header line");
    }
  };
}

void ExpectReload(SoakWorld& world, Step& step) {
  for (const LoadedFile& file : world.remembered.All()) {
    // A web address is read from its server again, whose file never changes.
    step.loads.push_back(ExpectedLoad(ReaderOf(file.kind), file.path));
    step.description += ": ";
    if (IsWebAddress(file.path.toStdString()))
      step.description += file.path.toStdString() + " ";
    step.description += step.loads.back().what;
  }
  if (step.loads.empty())
    step.description += ", nothing to load";
}

void RewriteFile(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // A raster on a web server is written by nobody here, and never followed.
  QStringList followed = world.remembered.Paths();
  followed.removeIf([](const QString& path) { return IsWebAddress(path.toStdString()); });
  // Mostly a file that F5 loads, now and then any other.
  const QString path = !followed.isEmpty() && !random.OneIn(5)
                           ? followed[static_cast<qsizetype>(random.Below(followed.size()))]
                           : world.files.Any().path;
  enum Mode { kInPlace, kRenamedOver, kDeletedAndCreated, kEmptied, kDeleted };
  static const char* const kModes[] = {"in place", "as a new file renamed over it",
                                       "deleted and created anew", "emptied", "deleted"};
  const auto mode = static_cast<Mode>(random.Weighted({4, 3, 2, 1, 1}));
  std::string what = "nothing";
  const std::vector<unsigned char> bytes =
      mode < kEmptied ? world.files.AnyContents(what) : std::vector<unsigned char>();
  step.description = "another program writes " + what + " to " +
                     QFileInfo(path).fileName().toStdString() + ", " + kModes[mode];
  // Followed, the file loads again as it was loaded, once it is written; an
  // empty or missing file is left until its next version.
  if (world.watching && followed.contains(path) && !bytes.empty()) {
    const QString scratch = world.files.Scratch(bytes);
    for (const LoadedFile& file : world.remembered.From(path)) {
      step.loads.push_back(ExpectedLoad(ReaderOf(file.kind), scratch));
      if (step.loads.back().remembered)
        step.loads.back().remembered->path = path;
      step.description += ": " + step.loads.back().what;
    }
  }
  step.perform = [path, mode, bytes](SoakWorld&) {
    switch (mode) {
      case kInPlace:
      case kEmptied:
        WriteFile(path, bytes);
        break;
      case kRenamedOver: {
        const QString part = path + QStringLiteral(".part");
        WriteFile(part, bytes);
        std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData());
        break;
      }
      case kDeletedAndCreated:
        QFile::remove(path);
        QCoreApplication::processEvents();
        WriteFile(path, bytes);
        break;
      case kDeleted:
        QFile::remove(path);
        break;
    }
  };
}

void StopLoadInBackground(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  // A picture that is read before anything can fail, so that the load is
  // sure to reach its first report, where it is held until it is stopped.
  const int width = random.Between(1, 40), height = random.Between(2, 40);
  const std::vector<unsigned char> first = WriteBmp(
      PatternPicture(width, height, {{static_cast<std::uint8_t>(random.Below(256)), 10, 200}}),
      BmpOptions{});
  const QString held = world.files.Scratch(first);
  enum Stop { kCancelButton, kEscape, kSecondLoad };
  const auto stop = static_cast<Stop>(random.Weighted({2, 2, 3}));
  step.description = "drop a " + std::to_string(width) + " x " + std::to_string(height) +
                     " bitmap, held in the background, then ";
  SoakFile second;
  if (stop == kSecondLoad) {
    second = world.files.Any();
    step.loads.push_back(ExpectedLoad(Reader::ByContent, second.path));
    step.description += "drop " + second.what + ": " + step.loads.back().what;
  } else {
    step.description += stop == kCancelButton ? "click Cancel" : "Esc in the main window";
  }
  step.perform = [held, stop, second](SoakWorld& w) {
    ActivateFor(w, &w.root);
    TFormStatus& status = w.status;
    {
      const ScopedOverride<std::chrono::milliseconds> background(status.backgroundAfter,
                                                                 std::chrono::milliseconds(0));
      const ScopedOverride<std::function<void(const LoadProgress&)>> hold(
          cLoadJob::reportHook, [](const LoadProgress& progress) {
            while (!progress.Cancelled())
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
          });
      if (!DropFile(w.root, held, Qt::NoModifier))
        w.inputFaults.push_back("the main window refused the drop");
    }
    if (!status.LoadInBackground()) {
      w.inputFaults.push_back("the held load did not go on in the background");
      return;
    }
    switch (stop) {
      case kCancelButton:
        input::Click(w.root.loadBar->ui.ButtonCancel,
                     w.root.loadBar->ui.ButtonCancel->rect().center());
        break;
      case kEscape:
        input::Key(&w.root, Qt::Key_Escape);
        break;
      case kSecondLoad: {
        // Read at once, whatever its size, so that it has ended when the
        // action has.
        const ScopedOverride<std::chrono::milliseconds> atOnce(status.backgroundAfter,
                                                               std::chrono::milliseconds::max());
        if (!DropFile(w.root, second.path, Qt::NoModifier))
          w.inputFaults.push_back("the main window refused the drop");
        break;
      }
    }
    if (status.LoadInBackground())
      w.inputFaults.push_back("a load still runs after it was stopped");
  };
}
