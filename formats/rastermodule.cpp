#include "formats/rastermodule.h"

#include <map>
#include <memory>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include "base/errors.h"

namespace {

QString chosen;  // ScopedRasterModule's path; empty: the program's own module
RasterWebLimits webLimits;

// GDAL and its hundred libraries look up their symbols among their own
// first. Looked up in the program's libraries first, as by default, they
// take about one and a half times as long to load, and the dynamic linker's
// lookups are most of what a small raster costs beyond a picture. The
// program has no copy relocations that would give a library's data two
// homes, and memory crosses the module's boundary only through the C++
// allocator, which both sides share. The sanitizers' allocator must see every
// allocation, and they refuse the hint.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnLookupsFirst = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnLookupsFirst = false;
#else
constexpr bool kOwnLookupsFirst = true;
#endif
#else
constexpr bool kOwnLookupsFirst = true;
#endif

// Where the module lies: beside the installed program (CUBISCOPE_MODULE_FROM_BIN
// is the way from its folder), else, for a program that runs from its build
// folder, where the build put it.
QStringList Candidates() {
  if (!chosen.isEmpty())
    return {chosen};
  QStringList paths;
  const QFileInfo program(QStringLiteral("/proc/self/exe"));
  const QString folder = QFileInfo(program.canonicalFilePath()).absolutePath();
  paths << QDir::cleanPath(folder + QStringLiteral("/" CUBISCOPE_MODULE_FROM_BIN));
#if defined(CUBISCOPE_MODULE_IN_BUILD)
  paths << QStringLiteral(CUBISCOPE_MODULE_IN_BUILD);
#endif
  return paths;
}

// A function of the module; loads the module on first use. Throws cError
// when it cannot be loaded or lacks the function.
QFunctionPointer ModuleSymbol(const char* symbol) {
  // Loaded libraries stay for the program's life: rasters they made may still
  // be in use, and unloading GDAL is not worth its risks.
  static std::map<QString, std::unique_ptr<QLibrary>> loaded;
  const QStringList paths = Candidates();
  QString reason;
  for (const QString& path : paths) {
    if (const auto found = loaded.find(path); found != loaded.end()) {
      if (const QFunctionPointer function = found->second->resolve(symbol))
        return function;
      reason = found->second->errorString();
      break;
    }
  }
  for (const QString& path : paths) {
    if (!reason.isEmpty() || !QFile::exists(path))
      continue;
    auto library = std::make_unique<QLibrary>(path);
    library->setLoadHints(kOwnLookupsFirst ? QLibrary::PreventUnloadHint | QLibrary::DeepBindHint
                                           : QLibrary::PreventUnloadHint);
    if (library->load()) {
      if (const QFunctionPointer function = library->resolve(symbol)) {
        loaded[path] = std::move(library);
        return function;
      }
    }
    reason = library->errorString();
  }
  if (reason.isEmpty())
    reason = paths.constFirst();
  throw cError(QStringLiteral("ラスターを読むモジュールを読み込めません (%1)").arg(reason));
}

}  // namespace

std::unique_ptr<RasterFile> OpenRaster(const QString& path) {
  const auto open = reinterpret_cast<OpenRasterFunction>(ModuleSymbol(kOpenRasterSymbol));
  RasterOpened opened;
  std::unique_ptr<RasterFile> raster(open(path.toUtf8().constData(), &webLimits, &opened));
  if (!raster && opened.how == RasterOpening::kUnreadable)
    throw cInvalidGraphic();
  if (!raster && opened.how == RasterOpening::kUnreachable)
    throw cError(QStringLiteral("%1 を読めません: %2").arg(path, QString::fromUtf8(opened.why)));
  return raster;
}

ContourGridFunction ContourGenerator() {
  return reinterpret_cast<ContourGridFunction>(ModuleSymbol(kContourGridSymbol));
}

ScopedRasterModule::ScopedRasterModule(const QString& path) : ScopedOverride(chosen, path) {}

ScopedWebLimits::ScopedWebLimits(const RasterWebLimits& limits)
    : ScopedOverride(webLimits, limits) {}
