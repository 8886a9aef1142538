#include "plugins/quellin/http_download.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>

namespace {

constexpr long kConnectSeconds = 10;
constexpr long kMaxRedirects = 5;
constexpr int kAttempts = 2;  // the first transfer and one reconnection
constexpr long kHttpErrors = 400;

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  const size_t end = text.find_last_not_of(" \t\r\n");
  return start == std::string::npos ? "" : text.substr(start, end - start + 1);
}

// Headers of each response; a redirect's are replaced by the next response's.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* download = static_cast<HttpDownload*>(user);
  const std::string line(data, size * count);
  std::lock_guard<std::mutex> hold(download->lock);
  if (line.rfind("HTTP/", 0) == 0 || line.rfind("ICY ", 0) == 0) {
    const size_t space = line.find(' ');
    download->status = std::atol(line.c_str() + space + 1);
    return size * count;
  }
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return size * count;
  const std::string name = Lower(Trimmed(line.substr(0, colon)));
  const std::string value = Trimmed(line.substr(colon + 1));
  if (name == "content-type") download->contentType = Lower(value);
  if (name == "icy-metaint" && download->received == 0)
    StartIcyStream(&download->icy, size_t(std::max(std::atol(value.c_str()), 0L)));
  if (name == "content-length" && download->contentLength < 0 && download->received == 0)
    download->contentLength = std::atoll(value.c_str());
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* download = static_cast<HttpDownload*>(user);
  std::unique_lock<std::mutex> hold(download->lock);
  download->changed.wait(hold, [&] {
    return download->stopping || download->buffer.size() - download->readAt < kDownloadBufferBytes;
  });
  if (download->stopping) return 0;  // ends the transfer
  download->lastBytes = std::chrono::steady_clock::now();
  if (download->readAt > 0) {  // drop what the reader has taken
    download->buffer.erase(0, download->readAt);
    download->erased += int64_t(download->readAt);
    download->readAt = 0;
  }
  download->responded = true;
  download->received += int64_t(size * count);
  FeedIcyStream(&download->icy, reinterpret_cast<const uint8_t*>(data), size * count,
                &download->buffer, [&](const std::string& title) {
                  if (download->onTitle) download->onTitle(title);
                });
  download->changed.notify_all();
  return size * count;
}

// Ends the transfer when Close asks, or when the server has sent nothing for kStallSeconds.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* download = static_cast<HttpDownload*>(user);
  std::lock_guard<std::mutex> hold(download->lock);
  const auto silent = std::chrono::steady_clock::now() - download->lastBytes;
  return download->stopping || silent > std::chrono::seconds(kStallSeconds) ? 1 : 0;
}

CURLcode Transfer(HttpDownload* download, int64_t resumeFrom) {
  CURL* curl = curl_easy_init();
  if (!curl) return CURLE_FAILED_INIT;
  curl_slist* headers = curl_slist_append(nullptr, "Icy-MetaData: 1");
  curl_easy_setopt(curl, CURLOPT_URL, download->url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, download);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, download);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, download);
  const std::string range = std::to_string(resumeFrom) + "-";
  if (resumeFrom > 0) curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
  const CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return result;
}

void Run(HttpDownload* download) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int64_t resumeFrom = 0;
    {
      std::lock_guard<std::mutex> hold(download->lock);
      if (download->contentLength > 0) resumeFrom = download->received;
      if (download->icy.interval > 0) StartIcyStream(&download->icy, download->icy.interval);
      download->lastBytes = std::chrono::steady_clock::now();
    }
    const CURLcode result = Transfer(download, resumeFrom);
    std::lock_guard<std::mutex> hold(download->lock);
    const bool whole =
        download->contentLength >= 0 && download->received >= download->contentLength;
    const bool page = download->contentType.rfind("text/", 0) == 0;  // nothing to play
    if (download->stopping || whole || page || download->status >= kHttpErrors ||
        !download->responded)
      break;
    download->error = result == CURLE_OK                    ? "the server closed the stream"
                      : result == CURLE_ABORTED_BY_CALLBACK ? "the server stopped sending"
                                                            : curl_easy_strerror(result);
  }
  std::lock_guard<std::mutex> hold(download->lock);
  download->finished = download->responded = true;
  download->changed.notify_all();
}

}  // namespace

void StartDownload(HttpDownload* download, const std::string& url,
                   std::function<void(const std::string&)> onTitle) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  download->url = url;
  download->onTitle = std::move(onTitle);
  if (!initialised) {
    download->finished = download->responded = true;
    return;
  }
  download->thread = std::thread(Run, download);
}

void StopDownload(HttpDownload* download) {
  {
    std::lock_guard<std::mutex> hold(download->lock);
    download->stopping = true;
    download->changed.notify_all();
  }
  if (download->thread.joinable()) download->thread.join();
}

void WaitForBytes(HttpDownload* download, std::unique_lock<std::mutex>& hold, size_t bytes,
                  int seconds) {
  download->changed.wait_for(hold, std::chrono::seconds(seconds), [&] {
    return download->finished || download->buffer.size() - download->readAt >= bytes;
  });
}
