#include "formats/gdal/webfiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <curl/curl.h>

#include "formats/webaddress.h"

namespace {

constexpr char kPrefix[] = "/vsicubiscope_web/";

// GDAL reads a file in small pieces (a header, a tile's offsets); its buffer
// turns them into requests of this size, and keeps this much of each file.
constexpr std::size_t kRequestBytes = std::size_t{16} << 10;
constexpr std::size_t kKeptBytes = std::size_t{16} << 20;

// A server sending less than this many bytes a second for the stall time is
// taken to have stalled.
constexpr long kSlowestBytesPerSecond = 256;

std::atomic<int> connectSeconds{RasterWebLimits{}.connectSeconds};
std::atomic<int> stallSeconds{RasterWebLimits{}.stallSeconds};

thread_local std::string failure;

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using Curl = std::unique_ptr<CURL, CurlDeleter>;

// One range request's answer as it arrives.
struct Transfer {
  std::uint64_t first = 0;
  char* into = nullptr;
  std::size_t capacity = 0;
  std::size_t received = 0;
  std::optional<ContentRange> range;  // of the last answer's headers
  bool wholeFile = false;             // the server ignored the range
};

std::size_t TakeHeader(char* data, std::size_t size, std::size_t count, void* context) {
  auto* transfer = static_cast<Transfer*>(context);
  const std::string_view line(data, size * count);
  // Every answer along redirects has its own headers: the last one's count.
  if (line.substr(0, 5) == "HTTP/")
    transfer->range.reset();
  constexpr std::string_view kName = "content-range:";
  if (line.size() > kName.size()) {
    std::string name(line.substr(0, kName.size()));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == kName)
      transfer->range = ParseContentRange(line.substr(kName.size()));
  }
  return size * count;
}

std::size_t TakeBody(char* data, std::size_t size, std::size_t count, void* context) {
  auto* transfer = static_cast<Transfer*>(context);
  const std::size_t bytes = size * count;
  // Only the part asked for: a whole file or an error page is not read on.
  if (!transfer->range || transfer->range->first != transfer->first) {
    transfer->wholeFile = true;
    return 0;
  }
  if (bytes > transfer->capacity - transfer->received)
    return 0;
  std::memcpy(transfer->into + transfer->received, data, bytes);
  transfer->received += bytes;
  return bytes;
}

// Whether url names this machine, which no proxy can reach for it.
bool OnThisMachine(const std::string& url) {
  CURLU* parts = curl_url();
  char* host = nullptr;
  const bool here = parts && curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
                    curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
                    (std::strcmp(host, "localhost") == 0 || std::strcmp(host, "127.0.0.1") == 0 ||
                     std::strcmp(host, "[::1]") == 0);
  curl_free(host);
  curl_url_cleanup(parts);
  return here;
}

Curl NewCurl(const std::string& url) {
  Curl curl(curl_easy_init());
  if (!curl)
    return curl;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  // libcurl takes the system's proxy from the environment, as the user's
  // other programs do, but not for this machine.
  if (OnThisMachine(url))
    curl_easy_setopt(c, CURLOPT_PROXY, "");
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "cubiscope");
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &TakeHeader);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &TakeBody);
  return curl;
}

// What a range request gave: how many bytes, and the file's size when the
// server said it.
struct Got {
  std::size_t bytes = 0;
  std::optional<std::uint64_t> fileSize;
};

// Reads bytes first ... first + capacity - 1 of the file into into; nothing,
// with failure set, when the server does not give them.
std::optional<Got> Get(CURL* curl, std::uint64_t first, char* into, std::size_t capacity) {
  Transfer transfer;
  transfer.first = first;
  transfer.into = into;
  transfer.capacity = capacity;
  const std::string range = std::to_string(first) + "-" + std::to_string(first + capacity - 1);
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  const int stall = stallSeconds.load();
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectSeconds.load()));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kSlowestBytesPerSecond);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stall));
  const CURLcode result = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) {
    failure = "サーバーの応答が HTTP " + std::to_string(status) + " です";
    return std::nullopt;
  }
  if (transfer.wholeFile || (result == CURLE_OK && status == 200)) {
    failure = "サーバーが範囲要求に応じません";
    return std::nullopt;
  }
  if (result == CURLE_UNSUPPORTED_PROTOCOL) {
    failure = "http と https 以外への転送には従いません";
    return std::nullopt;
  }
  if (result == CURLE_OPERATION_TIMEDOUT) {
    failure = std::to_string(stall) + " 秒待ってもサーバーから届きません";
    return std::nullopt;
  }
  if (result != CURLE_OK) {
    failure = error[0] ? error : curl_easy_strerror(result);
    return std::nullopt;
  }
  if (!transfer.range) {
    failure = "サーバーの応答に範囲がありません";
    return std::nullopt;
  }
  return Got{transfer.received, transfer.range->size};
}

// The file's size, from a request for its first byte.
std::optional<std::uint64_t> SizeOf(CURL* curl) {
  char byte = 0;
  const std::optional<Got> got = Get(curl, 0, &byte, 1);
  if (!got)
    return std::nullopt;
  if (!got->fileSize) {
    failure = "サーバーがファイルの大きさを言いません";
    return std::nullopt;
  }
  return got->fileSize;
}

struct WebFile {
  Curl curl;
  std::uint64_t size = 0;
  std::uint64_t position = 0;
  bool atEnd = false;
};

std::string UrlOf(const char* name) {
  std::string_view text(name);
  if (text.substr(0, std::strlen(kPrefix)) == kPrefix)
    text.remove_prefix(std::strlen(kPrefix));
  return std::string(text);
}

void* Open(void*, const char* name, const char* access) {
  if (!access || std::strchr(access, 'w') || std::strchr(access, 'a') || std::strchr(access, '+')) {
    errno = EACCES;
    return nullptr;
  }
  const std::string url = UrlOf(name);
  if (!IsWebAddress(url)) {
    errno = ENOENT;
    return nullptr;
  }
  auto file = std::make_unique<WebFile>();
  file->curl = NewCurl(url);
  const std::optional<std::uint64_t> size = file->curl ? SizeOf(file->curl.get()) : std::nullopt;
  if (!size) {
    errno = ENOENT;
    return nullptr;
  }
  file->size = *size;
  return file.release();
}

int Stat(void*, const char* name, VSIStatBufL* stat, int) {
  const std::string url = UrlOf(name);
  if (!IsWebAddress(url))
    return -1;
  const Curl curl = NewCurl(url);
  const std::optional<std::uint64_t> size = curl ? SizeOf(curl.get()) : std::nullopt;
  if (!size)
    return -1;
  std::memset(stat, 0, sizeof(*stat));
  stat->st_mode = S_IFREG;
  stat->st_size = static_cast<off_t>(*size);
  return 0;
}

vsi_l_offset Tell(void* handle) {
  return static_cast<WebFile*>(handle)->position;
}

int Seek(void* handle, vsi_l_offset offset, int whence) {
  auto* file = static_cast<WebFile*>(handle);
  if (whence == SEEK_SET)
    file->position = offset;
  else if (whence == SEEK_CUR)
    file->position += offset;
  else if (whence == SEEK_END)
    file->position = file->size + offset;
  else
    return -1;
  file->atEnd = false;
  return 0;
}

std::size_t Read(void* handle, void* buffer, std::size_t size, std::size_t count) {
  auto* file = static_cast<WebFile*>(handle);
  if (size == 0 || count == 0)
    return 0;
  const std::uint64_t left = file->position < file->size ? file->size - file->position : 0;
  const std::uint64_t wanted = std::min<std::uint64_t>(std::uint64_t{size} * count, left);
  if (wanted < std::uint64_t{size} * count)
    file->atEnd = true;
  if (wanted == 0)
    return 0;
  const std::optional<Got> got = Get(file->curl.get(), file->position, static_cast<char*>(buffer),
                                     static_cast<std::size_t>(wanted));
  if (!got) {
    CPLError(CE_Failure, CPLE_FileIO, "%s", failure.c_str());
    return 0;
  }
  file->position += got->bytes;
  return got->bytes / size;
}

int Eof(void* handle) {
  return static_cast<WebFile*>(handle)->atEnd ? 1 : 0;
}

int Close(void* handle) {
  delete static_cast<WebFile*>(handle);
  return 0;
}

// No file on a server stands beside another: GDAL must not go looking for
// side files (overviews, masks), each of which would be a request.
char** SiblingFiles(void*, const char*) {
  return static_cast<char**>(CPLCalloc(1, sizeof(char*)));
}

void Install() {
  static std::once_flag once;
  std::call_once(once, [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    VSIFilesystemPluginCallbacksStruct* callbacks = VSIAllocFilesystemPluginCallbacksStruct();
    callbacks->open = &Open;
    callbacks->stat = &Stat;
    callbacks->tell = &Tell;
    callbacks->seek = &Seek;
    callbacks->read = &Read;
    callbacks->eof = &Eof;
    callbacks->close = &Close;
    callbacks->sibling_files = &SiblingFiles;
    callbacks->nBufferSize = kRequestBytes;
    callbacks->nCacheSize = kKeptBytes;
    VSIInstallPluginHandler(kPrefix, callbacks);
    VSIFreeFilesystemPluginCallbacksStruct(callbacks);
  });
}

}  // namespace

std::string WebFileName(const std::string& url) {
  Install();
  return kPrefix + url;
}

void SetWebLimits(const RasterWebLimits& limits) {
  connectSeconds = std::max(limits.connectSeconds, 1);
  stallSeconds = std::max(limits.stallSeconds, 1);
}

std::string TakeWebFailure() {
  return std::exchange(failure, std::string());
}
