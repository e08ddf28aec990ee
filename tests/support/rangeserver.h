#pragma once
// A web server on 127.0.0.1 at a port the system chooses, serving one file
// with range requests, for tests and benchmarks of rasters read over HTTP.
// It lives on threads of its own (plain sockets, no event loop), since the
// thread that reads from it may block for seconds inside a library's read.
// Stops (joins its threads, closes its sockets) when destroyed, promptly even
// while clients are still connected.

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RangeServer {
 public:
  enum class Answer {
    // 200 or 206 with the file's bytes; a single range "bytes=a-b", "bytes=a-"
    // or "bytes=-n" is honoured, 416 when it lies past the end. HEAD too.
    kFile,
    kMissing,   // 404 with a short body
    kRedirect,  // 302 to the location given to SetAnswer
    // Reads the request and sends nothing, keeping the connection open until
    // the server stops (or the client hangs up).
    kStall,
    // 200 with the whole file whatever the range: a server that cannot seek.
    kNoRanges,
  };

  // Serves the bytes of the file at path under any request path. The file
  // stays open and is read piece by piece as requests come (it may be
  // hundreds of MB); its size is taken afresh for every request. Throws
  // std::runtime_error when the file cannot be opened or no port is free.
  explicit RangeServer(const std::string& path);
  ~RangeServer();
  RangeServer(const RangeServer&) = delete;
  RangeServer& operator=(const RangeServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:PORT/" + name.
  std::string Url(const std::string& name = "raster.tif") const;

  // Takes effect from the next request on, on every connection.
  void SetAnswer(Answer answer, const std::string& location = {});

  // Body bytes (not headers) of all answers so far, counted as each piece is
  // handed to the connection: once a client has read a body, it is counted.
  std::uint64_t BodyBytesSent() const;
  // Requests answered or stalled so far, counted as each one arrives.
  std::size_t Requests() const;
  // Each request's request line and header lines as they came (lines joined
  // by CRLF, without the empty line that ends them), in order of arrival.
  std::vector<std::string> RequestHeads() const;
  // Connections accepted so far, whether or not a request came on them.
  std::size_t Connections() const;
  void ResetCounts();

 private:
  struct Connection {
    int socket = -1;  // -1 once closed
    bool done = false;
    std::thread thread;
  };
  struct Request;

  void Accept();
  void Serve(Connection* connection, int socket);
  bool Respond(int socket, const Request& request, Answer answer, const std::string& location);
  bool SendFile(int socket, std::string& out, std::uint64_t first, std::uint64_t length);
  void ReapFinished();
  void CloseDescriptors();

  int file_ = -1;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::thread acceptor_;

  mutable std::mutex mutex_;  // guards everything below
  bool stopping_ = false;
  Answer answer_ = Answer::kFile;
  std::string location_;
  std::uint64_t body_bytes_ = 0;
  std::size_t requests_ = 0;
  std::size_t connections_accepted_ = 0;
  std::vector<std::string> heads_;
  // Every connection not yet joined. Closing a socket happens under the lock
  // so that stopping never shuts down a descriptor number already reused.
  std::list<Connection> connections_;
};
