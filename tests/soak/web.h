#pragma once
// Rasters on web servers: servers of the soak's own on 127.0.0.1, one for
// every file served, each with the answer its action drew, and what loading
// their addresses must come to.

#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "expect.h"
#include "formats/rasterfile.h"
#include "support/rangeserver.h"

class SoakWorld;

// How long the soak's loads wait for a server: a server that stalls costs a
// second or two, not the program's own patience.
inline constexpr RasterWebLimits kSoakWebLimits{1, 1};

// The servers that may still be read. A server that no address F5 loads and
// no data the surface shows names goes at the start of the next step, with
// its file; held at levels, the surface reads its tiles from its server
// for as long as it shows them.
class SoakServers {
 public:
  SoakServers() = default;
  ~SoakServers();
  SoakServers(const SoakServers&) = delete;
  SoakServers& operator=(const SoakServers&) = delete;

  // Serves the file at path on a server of its own. Throws what RangeServer
  // throws.
  RangeServer& Serve(const QString& path);
  // Stops the servers of none of addresses and removes their files.
  void KeepFor(const QStringList& addresses);

 private:
  struct Served {
    std::unique_ptr<RangeServer> server;
    QString path;
  };
  std::vector<Served> served;
};

// The address of a new file on a new server, and what loading it must come
// to: mostly a GeoTIFF that loads as the same file dropped, sometimes a
// server that fails, a bitmap instead, or, with colours, the refusal of any
// address. typed: as typed into the address dialog, which takes the scheme
// in capitals too.
struct WebLoad {
  QString address;
  LoadOutcome outcome;
  std::string what;  // the file and the server's answer, for the description
};
WebLoad ServedAddress(SoakWorld& world, bool colours, bool typed);
