#include "support/rangeserver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large enough to keep a fast client busy, small enough that a body of
// hundreds of MB never sits in memory.
constexpr std::size_t kChunk = 256 * 1024;
// A head this long is no client's we expect; the connection is dropped.
constexpr std::size_t kMaxHead = 64 * 1024;
// How long the acceptor sleeps between looks at the stop flag when shutdown()
// of the listener does not wake it.
constexpr int kAcceptPollMs = 50;

// Reads errno before building any string, which may allocate and touch it.
std::runtime_error SystemError(const char* what, const std::string& path = {}) {
  const int error = errno;
  return std::runtime_error("RangeServer: " + std::string(what) + path + ": " +
                            std::strerror(error));
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

// Whether a comma-separated header value such as "keep-alive, close" holds token.
bool HasToken(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    if (SameIgnoringCase(Trim(value.substr(0, comma)), token)) {
      return true;
    }
    if (comma == std::string_view::npos) {
      break;
    }
    value.remove_prefix(comma + 1);
  }
  return false;
}

// Saturates instead of overflowing: a position beyond any file is as good as
// the largest number.
bool ParseDigits(std::string_view text, std::uint64_t* value) {
  if (text.empty()) {
    return false;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    const unsigned digit = static_cast<unsigned>(c - '0');
    result = result > (kMax - digit) / 10 ? kMax : result * 10 + digit;
  }
  *value = result;
  return true;
}

struct Span {
  enum Kind { kWhole, kPart, kUnsatisfiable } kind = kWhole;
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive, as Content-Range writes it
};

// A Range header the server cannot make sense of, or one of several ranges,
// is ignored and the whole file served, as RFC 9110 allows.
Span ParseRange(std::string_view value, std::uint64_t size) {
  value = Trim(value);
  constexpr std::string_view kUnit = "bytes=";
  if (value.size() < kUnit.size() || !SameIgnoringCase(value.substr(0, kUnit.size()), kUnit)) {
    return {};
  }
  value.remove_prefix(kUnit.size());
  const std::size_t dash = value.find('-');
  if (value.find(',') != std::string_view::npos || dash == std::string_view::npos) {
    return {};
  }
  const std::string_view first_text = Trim(value.substr(0, dash));
  const std::string_view last_text = Trim(value.substr(dash + 1));
  if (first_text.empty()) {
    std::uint64_t suffix = 0;
    if (!ParseDigits(last_text, &suffix)) {
      return {};
    }
    if (suffix == 0) {
      return {Span::kUnsatisfiable};
    }
    // An empty file has no last bytes to name; it is sent whole (and empty).
    if (size == 0) {
      return {};
    }
    return {Span::kPart, size - std::min(suffix, size), size - 1};
  }
  std::uint64_t first = 0;
  std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
  if (!ParseDigits(first_text, &first) || (!last_text.empty() && !ParseDigits(last_text, &last)) ||
      last < first) {
    return {};
  }
  if (first >= size) {
    return {Span::kUnsatisfiable};
  }
  return {Span::kPart, first, std::min(last, size - 1)};
}

bool SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool ReadAt(int file, char* to, std::size_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t got = ::pread(file, to, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    // A file cut short under us: the promised length cannot be kept.
    if (got <= 0) {
      return false;
    }
    to += got;
    length -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

}  // namespace

struct RangeServer::Request {
  bool valid = false;
  bool head = false;  // HEAD rather than GET
  bool other_method = false;
  bool close = false;  // the connection ends after the answer
  std::string range;

  static Request Parse(std::string_view text);
};

RangeServer::Request RangeServer::Request::Parse(std::string_view text) {
  Request request;
  std::size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  const std::size_t space1 = line.find(' ');
  const std::size_t space2 = space1 == std::string_view::npos ? space1 : line.find(' ', space1 + 1);
  if (space2 == std::string_view::npos) {
    return request;
  }
  const std::string_view method = line.substr(0, space1);
  const std::string_view version = line.substr(space2 + 1);
  if (version.substr(0, 5) != "HTTP/") {
    return request;
  }
  request.valid = true;
  request.head = method == "HEAD";
  request.other_method = method != "GET" && method != "HEAD";
  // HTTP/1.0 closes unless asked to keep alive; 1.1 keeps alive unless told.
  const bool old = version == "HTTP/1.0";
  bool asked_close = false;
  bool asked_keep_alive = false;
  while (end != std::string_view::npos) {
    const std::size_t start = end + 2;
    end = text.find("\r\n", start);
    const std::string_view field = text.substr(start, end - start);
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) {
      continue;
    }
    const std::string_view name = Trim(field.substr(0, colon));
    const std::string_view value = Trim(field.substr(colon + 1));
    if (SameIgnoringCase(name, "range")) {
      request.range.assign(value);
    } else if (SameIgnoringCase(name, "connection")) {
      asked_close = asked_close || HasToken(value, "close");
      asked_keep_alive = asked_keep_alive || HasToken(value, "keep-alive");
    }
  }
  request.close = asked_close || (old && !asked_keep_alive);
  return request;
}

RangeServer::RangeServer(const std::string& path) {
  try {
    file_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file_ < 0) {
      throw SystemError("cannot open ", path);
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener_ < 0) {
      throw SystemError("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      throw SystemError("bind");
    }
    if (::listen(listener_, 64) != 0) {
      throw SystemError("listen");
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw SystemError("getsockname");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread(&RangeServer::Accept, this);
  } catch (...) {
    CloseDescriptors();
    throw;
  }
}

RangeServer::~RangeServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  // Wakes the acceptor's poll() on Linux; elsewhere its timeout does.
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  // The acceptor is gone, so the list no longer grows. shutdown() wakes every
  // connection's recv() or send(), stalled ones included.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Connection& connection : connections_) {
      if (connection.socket >= 0) {
        ::shutdown(connection.socket, SHUT_RDWR);
      }
    }
  }
  for (Connection& connection : connections_) {
    connection.thread.join();
  }
  CloseDescriptors();
}

void RangeServer::CloseDescriptors() {
  if (listener_ >= 0) {
    ::close(listener_);
  }
  if (file_ >= 0) {
    ::close(file_);
  }
}

std::string RangeServer::Url(const std::string& name) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

void RangeServer::SetAnswer(Answer answer, const std::string& location) {
  std::lock_guard<std::mutex> lock(mutex_);
  answer_ = answer;
  location_ = location;
}

std::uint64_t RangeServer::BodyBytesSent() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return body_bytes_;
}

std::size_t RangeServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<std::string> RangeServer::RequestHeads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return heads_;
}

void RangeServer::ResetCounts() {
  std::lock_guard<std::mutex> lock(mutex_);
  body_bytes_ = 0;
  requests_ = 0;
  connections_accepted_ = 0;
  heads_.clear();
}

std::size_t RangeServer::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_accepted_;
}

void RangeServer::Accept() {
  for (;;) {
    ReapFinished();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) {
        return;
      }
    }
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, kAcceptPollMs) <= 0) {
      continue;
    }
    // Non-blocking: a client that gave up between poll() and accept() must
    // not leave the acceptor deaf to the stop flag.
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) {
      continue;
    }
    // The head and the first piece of a body go out in one write, but a long
    // body's last piece must not wait for the client's delayed ACK.
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard<std::mutex> lock(mutex_);
    ++connections_accepted_;
    Connection& connection = connections_.emplace_back();
    connection.socket = socket;
    try {
      connection.thread = std::thread(&RangeServer::Serve, this, &connection, socket);
    } catch (const std::system_error&) {
      ::close(socket);
      connections_.pop_back();
    }
  }
}

// Joins the threads of connections that have ended, so that a long benchmark
// opening connection after connection does not keep them all.
void RangeServer::ReapFinished() {
  std::list<Connection> finished;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      const auto next = std::next(it);
      if (it->done) {
        finished.splice(finished.end(), connections_, it);
      }
      it = next;
    }
  }
  for (Connection& connection : finished) {
    connection.thread.join();
  }
}

void RangeServer::Serve(Connection* connection, int socket) {
  std::string buffer;
  char piece[16 * 1024];
  // False when the connection has ended or must end.
  const auto receive = [&] {
    for (;;) {
      const ssize_t got = ::recv(socket, piece, sizeof piece, 0);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        return false;
      }
      buffer.append(piece, static_cast<std::size_t>(got));
      return true;
    }
  };
  for (;;) {
    // Blank lines before a request line are tolerated (RFC 9112, 2.2).
    while (buffer.compare(0, 2, "\r\n") == 0) {
      buffer.erase(0, 2);
    }
    const std::size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (buffer.size() > kMaxHead || !receive()) {
        break;
      }
      continue;
    }
    std::string head = buffer.substr(0, end);
    buffer.erase(0, end + 4);
    const Request request = Request::Parse(head);
    Answer answer;
    std::string location;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++requests_;
      heads_.push_back(std::move(head));
      answer = answer_;
      location = location_;
    }
    if (answer == Answer::kStall) {
      // Whatever else the client sends is swallowed unanswered until it hangs
      // up or the server stops.
      while (receive()) {
        buffer.clear();
      }
      break;
    }
    if (!Respond(socket, request, answer, location)) {
      break;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ::close(socket);
  connection->socket = -1;
  connection->done = true;
}

bool RangeServer::Respond(int socket, const Request& request, Answer answer,
                          const std::string& location) {
  std::string status;
  std::string headers;
  std::string text;  // the body, unless it comes from the file
  bool from_file = false;
  std::uint64_t first = 0;
  std::uint64_t length = 0;
  bool close = request.close;
  if (!request.valid) {
    status = "400 Bad Request";
    close = true;
  } else if (request.other_method) {
    // A body we never read may follow; the connection cannot be trusted after.
    status = "405 Method Not Allowed";
    headers = "Allow: GET, HEAD\r\n";
    close = true;
  } else if (answer == Answer::kMissing) {
    status = "404 Not Found";
    headers = "Content-Type: text/plain\r\n";
    text = "Not found\n";
  } else if (answer == Answer::kRedirect) {
    status = "302 Found";
    headers = "Location: " + location + "\r\n";
  } else {
    struct stat info {};
    if (::fstat(file_, &info) != 0) {
      status = "500 Internal Server Error";
      close = true;
    } else {
      const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
      const Span span = answer == Answer::kFile ? ParseRange(request.range, size) : Span{};
      const std::string total = std::to_string(size);
      headers = "Content-Type: application/octet-stream\r\n";
      if (answer == Answer::kFile) {
        headers += "Accept-Ranges: bytes\r\n";
      }
      if (span.kind == Span::kUnsatisfiable) {
        status = "416 Range Not Satisfiable";
        headers += "Content-Range: bytes */" + total + "\r\n";
      } else if (span.kind == Span::kPart) {
        status = "206 Partial Content";
        headers += "Content-Range: bytes " + std::to_string(span.first) + "-" +
                   std::to_string(span.last) + "/" + total + "\r\n";
        from_file = true;
        first = span.first;
        length = span.last - span.first + 1;
      } else {
        status = "200 OK";
        from_file = true;
        length = size;
      }
    }
  }
  if (!from_file) {
    length = text.size();
  }
  std::string out = "HTTP/1.1 " + status + "\r\n" + headers +
                    "Content-Length: " + std::to_string(length) + "\r\n" +
                    (close ? "Connection: close\r\n" : "") + "\r\n";
  if (!request.head && !from_file && !text.empty()) {
    out += text;
    std::lock_guard<std::mutex> lock(mutex_);
    body_bytes_ += text.size();
  }
  if (!request.head && from_file) {
    if (!SendFile(socket, out, first, length)) {
      return false;
    }
  } else if (!SendAll(socket, out)) {
    return false;
  }
  return !close;
}

// Sends out (the head) followed by the file's bytes [first, first + length),
// the head together with the first piece.
bool RangeServer::SendFile(int socket, std::string& out, std::uint64_t first,
                           std::uint64_t length) {
  out.reserve(out.size() + static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk)));
  while (length > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk));
    const std::size_t at = out.size();
    out.resize(at + n);
    if (!ReadAt(file_, out.data() + at, n, first)) {
      return false;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      body_bytes_ += n;
    }
    if (!SendAll(socket, out)) {
      return false;
    }
    out.clear();
    first += n;
    length -= n;
  }
  // An empty body: the head is still to go.
  return out.empty() || SendAll(socket, out);
}
