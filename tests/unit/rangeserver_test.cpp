#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "support/rangeserver.h"

namespace {

using Answer = RangeServer::Answer;

int Connect(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const timeval limit{5, 0};  // a broken server fails the test instead of hanging it
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  return fd;
}

// The value of the header name as the server spells it, empty when absent.
std::string Header(const std::string& head, const std::string& name) {
  const std::size_t at = head.find("\r\n" + name + ": ");
  if (at == std::string::npos) {
    return {};
  }
  const std::size_t start = at + name.size() + 4;
  return head.substr(start, head.find("\r\n", start) - start);
}

struct Reply {
  std::string head;
  std::string body;
};

// Reads one answer whole from a kept-alive connection.
Reply Receive(int fd, bool head_only) {
  std::string bytes;
  char piece[4096];
  std::size_t end;
  while ((end = bytes.find("\r\n\r\n")) == std::string::npos) {
    const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
    if (got <= 0) {
      return {};
    }
    bytes.append(piece, static_cast<std::size_t>(got));
  }
  Reply reply{bytes.substr(0, end + 2), bytes.substr(end + 4)};
  const std::size_t length = head_only ? 0 : std::stoul(Header(reply.head, "Content-Length"));
  while (reply.body.size() < length) {
    const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
    if (got <= 0) {
      break;
    }
    reply.body.append(piece, static_cast<std::size_t>(got));
  }
  return reply;
}

TEST(RangeServerTest, AnswersRangesAndCountsOnOneConnection) {
  const std::string content = "abcdefghijklmnopqrstuvwxyz0123456789";  // 36 bytes
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("raster.tif")).toStdString();
  std::ofstream(path, std::ios::binary) << content;
  auto server = std::make_unique<RangeServer>(path);
  const std::string moved = "http://127.0.0.1:9/moved.tif";

  struct Case {
    Answer answer;
    std::string method;
    std::string range;  // a header line, or empty
    std::string status_line;
    std::string content_range;
    std::string content_length;
    std::string body;
  };
  const Case cases[] = {
      {Answer::kFile, "GET", "Range: bytes=3-6", "HTTP/1.1 206 Partial Content", "bytes 3-6/36",
       "4", "defg"},
      {Answer::kFile, "GET", "range: bytes=10-", "HTTP/1.1 206 Partial Content", "bytes 10-35/36",
       "26", "klmnopqrstuvwxyz0123456789"},
      {Answer::kFile, "GET", "Range: bytes=-5", "HTTP/1.1 206 Partial Content", "bytes 31-35/36",
       "5", "56789"},
      {Answer::kFile, "GET", "Range: bytes=30-99", "HTTP/1.1 206 Partial Content", "bytes 30-35/36",
       "6", "456789"},
      {Answer::kFile, "GET", "Range: bytes=36-40", "HTTP/1.1 416 Range Not Satisfiable",
       "bytes */36", "0", ""},
      {Answer::kFile, "HEAD", "", "HTTP/1.1 200 OK", "", "36", ""},
      {Answer::kFile, "GET", "", "HTTP/1.1 200 OK", "", "36", content},
      {Answer::kMissing, "GET", "", "HTTP/1.1 404 Not Found", "", "10", "Not found\n"},
      {Answer::kRedirect, "GET", "Range: bytes=3-6", "HTTP/1.1 302 Found", "", "0", ""},
      {Answer::kNoRanges, "GET", "Range: bytes=3-6", "HTTP/1.1 200 OK", "", "36", content},
  };
  const int fd = Connect(server->Port());
  std::uint64_t body_bytes = 0;
  std::size_t requests = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method + " " + c.range);
    server->SetAnswer(c.answer, c.answer == Answer::kRedirect ? moved : std::string());
    const std::string request = c.method + " /raster.tif HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                (c.range.empty() ? "" : c.range + "\r\n") + "\r\n";
    ASSERT_TRUE(::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(request.size()));
    const Reply reply = Receive(fd, c.method == "HEAD");
    EXPECT_EQ(reply.head.substr(0, reply.head.find("\r\n")), c.status_line);
    EXPECT_EQ(Header(reply.head, "Content-Range"), c.content_range);
    EXPECT_EQ(Header(reply.head, "Content-Length"), c.content_length);
    EXPECT_EQ(Header(reply.head, "Location"), c.answer == Answer::kRedirect ? moved : "");
    EXPECT_EQ(reply.body, c.body);
    body_bytes += c.body.size();
    EXPECT_EQ(server->BodyBytesSent(), body_bytes);
    EXPECT_EQ(server->Requests(), ++requests);
    EXPECT_EQ(server->RequestHeads().back(), request.substr(0, request.size() - 4));
  }
  server->ResetCounts();
  EXPECT_EQ(server->BodyBytesSent(), 0u);
  EXPECT_TRUE(server->RequestHeads().empty());

  // A stalled answer never comes, and the server still stops at once.
  server->SetAnswer(Answer::kStall);
  const std::string request = "GET /raster.tif HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  ASSERT_GT(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), 0);
  pollfd waiting{fd, POLLIN, 0};
  EXPECT_EQ(::poll(&waiting, 1, 300), 0);
  EXPECT_EQ(server->Requests(), 1u);
  const auto start = std::chrono::steady_clock::now();
  server.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ::close(fd);
}

}  // namespace
