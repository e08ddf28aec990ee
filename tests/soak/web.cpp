// Web addresses: "Open URL…" in the picture's context menu and links dropped
// on the main window, with the servers that answer them.

#include "web.h"

#include <exception>
#include <utility>

#include <QFile>
#include <QUrl>

#include "base/errors.h"
#include "catalogue.h"
#include "input.h"
#include "support/dropfile.h"
#include "world.h"

namespace {

using Answer = RangeServer::Answer;

// What a server does with the action's requests, and why the load then
// fails, shown after the address; no reason: the file is served as it is.
struct ServerCase {
  const char* name;
  Answer answer;
  bool geoTiff;
  const char* reason;
  int weight;
};

// The reason of a stall names the seconds waited.
static_assert(kSoakWebLimits.stallSeconds == 1);
// A stall costs a second or two, so it comes seldom.
constexpr ServerCase kServerCases[] = {
    {"serves it", Answer::kFile, true, nullptr, 30},
    {"answers 404", Answer::kMissing, true, " を読めません: サーバーの応答が HTTP 404 です", 3},
    {"ignores ranges", Answer::kNoRanges, true, " を読めません: サーバーが範囲要求に応じません", 3},
    {"redirects to ftp", Answer::kRedirect, true,
     " を読めません: http と https 以外への転送には従いません", 3},
    {"stalls", Answer::kStall, true, " を読めません: 1 秒待ってもサーバーから届きません", 1},
    {"serves a bitmap instead", Answer::kFile, false, nullptr, 3},
};
constexpr char kRedirectTarget[] = "ftp://127.0.0.1:1/x";

const ServerCase& DrawCase(SoakRandom& random) {
  int sum = 0;
  for (const ServerCase& c : kServerCases)
    sum += c.weight;
  int at = static_cast<int>(random.Below(static_cast<std::uint64_t>(sum)));
  for (const ServerCase& c : kServerCases) {
    if (at < c.weight)
      return c;
    at -= c.weight;
  }
  return kServerCases[0];
}

// A load that ends with text in its message box and keeps what was shown.
LoadOutcome Failure(const QString& text) {
  LoadOutcome outcome;
  outcome.failed = true;
  outcome.message = ShownText(std::make_exception_ptr(cError(text)));
  outcome.what = "fails: " + outcome.message.toStdString();
  return outcome;
}

// What the address dialog is given other than a web address, refused with
// its message: other schemes, a GDAL path that would reach the network, a
// host without a scheme, a scheme without a host, and one of the soak's own
// files by its path, which the dialog does not open either.
QString NotWebAddress(SoakWorld& world) {
  switch (world.random.Below(8)) {
    case 0:
      return QStringLiteral("ftp://127.0.0.1/heights.tif");
    case 1:
      return QStringLiteral("file:///etc/hostname");
    case 2:
      return QStringLiteral("nonsense");
    case 3:
      return QStringLiteral("/vsicurl/http://127.0.0.1:9/heights.tif");
    case 4:
      return QStringLiteral("127.0.0.1:8080/heights.tif");
    case 5:
      return QStringLiteral("http://");
    case 6:
      return QStringLiteral("https:///heights.tif");
    default:
      return world.files.Any().path;
  }
}

// text with blanks around it now and then, as pasted text comes.
QString Padded(SoakRandom& random, const QString& text) {
  switch (random.Weighted({6, 1, 1})) {
    case 1:
      return QStringLiteral("  ") + text + QStringLiteral(" ");
    case 2:
      return QStringLiteral("\t") + text + QStringLiteral("\n");
    default:
      return text;
  }
}

}  // namespace

SoakServers::~SoakServers() {
  KeepFor({});
}

RangeServer& SoakServers::Serve(const QString& path) {
  served.push_back({std::make_unique<RangeServer>(QFile::encodeName(path).toStdString()), path});
  return *served.back().server;
}

void SoakServers::KeepFor(const QStringList& addresses) {
  std::vector<Served> kept;
  for (Served& s : served) {
    bool wanted = false;
    for (const QString& address : addresses) {
      const QUrl url(address);
      wanted = wanted || (url.host() == QLatin1String("127.0.0.1") &&
                          url.port() == static_cast<int>(s.server->Port()));
    }
    if (wanted) {
      kept.push_back(std::move(s));
    } else {
      s.server.reset();
      QFile::remove(s.path);
    }
  }
  served = std::move(kept);
}

WebLoad ServedAddress(SoakWorld& world, bool colours, bool typed) {
  SoakRandom& random = world.random;
  const ServerCase& how = colours ? kServerCases[0] : DrawCase(random);
  bool geoTiff = how.geoTiff;
  const SoakFile file = world.files.ToServe(geoTiff);
  RangeServer& server = world.servers.Serve(file.path);
  server.SetAnswer(how.answer, kRedirectTarget);
  // Names that a link carries as they are, encoded already.
  const char* name = random.Pick(
      {"raster.tif", "dem/heights.tif", "heights.tif?v=2", "tiles/17/0.tiff", "download"});
  WebLoad load;
  load.address = QString::fromStdString(server.Url(name));
  if (typed && random.OneIn(8))
    load.address.replace(0, 4, QStringLiteral("HTTP"));
  load.what = file.what + " at " + load.address.toStdString() + ", the server " + how.name;
  if (colours) {
    load.outcome = Failure(QStringLiteral("計測値のラスターには色がありません"));
  } else if (how.reason) {
    load.outcome = Failure(load.address + QString::fromUtf8(how.reason));
  } else if (!geoTiff) {
    load.outcome = Failure(load.address + QStringLiteral(" は GeoTIFF ではありません"));
  } else {
    // Read from the server, the GeoTIFF is the file read from disk; only the
    // name F5 loads again is the address.
    load.outcome = ExpectedLoad(Reader::ByContent, file.path);
    if (!load.outcome.failed && load.outcome.remembered) {
      load.outcome.remembered->path = load.address;
    } else {
      // Its message names the file where it was read: from the address then.
      load.outcome = ExpectedLoad(Reader::ByContent, load.address);
    }
  }
  return load;
}

void OpenAddress(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const QPoint at = PointIn(random, world.graph.window->rect());
  step.description = "context menu of the picture: Open URL…, ";
  // The dialog opens with the address given last, to be mended.
  step.addressDialogs.push_back(world.lastAddress);
  QString given;
  switch (random.Weighted({2, 3, 10})) {
    case 0:
      // Blanks alone are no address: as good as cancel.
      if (random.OneIn(3)) {
        step.addressAnswer = QStringLiteral("   ");
        step.description += "give blanks";
      } else {
        step.description += "cancel";
      }
      break;
    case 1:
      given = NotWebAddress(world);
      step.addressAnswer = Padded(random, given);
      step.messages.push_back(ShownText(std::make_exception_ptr(cError(
          QStringLiteral("http:// か https:// で始まるアドレスだけを開けます: %1").arg(given)))));
      step.description += "give " + given.toStdString() + ": refused";
      break;
    default: {
      WebLoad load = ServedAddress(world, false, true);
      given = load.address;
      step.addressAnswer = Padded(random, given);
      step.description += "give " + load.what + ": " + load.outcome.what;
      step.loads.push_back(std::move(load.outcome));
      break;
    }
  }
  if (!given.isEmpty())
    world.lastAddress = given;
  step.perform = [at](SoakWorld& w) {
    ActivateFor(w, &w.root);
    input::ContextMenu(w.graph.window, at, QStringLiteral("Open URL…"), 0);
  };
}

void DropLink(SoakWorld& world, Step& step) {
  // With Shift a drop counts colours, which a raster of values has none of.
  const bool shift = world.random.OneIn(5);
  WebLoad load = ServedAddress(world, shift, false);
  step.description = std::string("drop ") + (shift ? "with Shift " : "") + "a link to " +
                     load.what + ": " + load.outcome.what;
  step.loads.push_back(std::move(load.outcome));
  step.perform = [address = load.address, shift](SoakWorld& w) {
    if (!DropUrl(w.root, QUrl(address), shift ? Qt::ShiftModifier : Qt::NoModifier))
      w.inputFaults.push_back("the main window refused the link");
  };
}
