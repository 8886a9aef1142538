// A progressive HTTP download on libcurl, on a thread of its own, into a bounded buffer that
// the reader drains: the download waits while the buffer is full. ICY metadata is taken out of
// the stream; the stream title of each metadata block is reported through the callback. A transfer
// that breaks off (the server closed the connection, or sent nothing for kStallSeconds) is started
// again once: a file from where it broke off, a radio stream afresh.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "plugins/quellin/icy_metadata.h"

constexpr int kStallSeconds = 5;
constexpr size_t kDownloadBufferBytes = 1 << 20;

struct HttpDownload {
  std::string url;
  std::thread thread;
  std::mutex lock;  // guards every field below; the download thread and the reader share them
  std::condition_variable changed;
  std::string buffer;  // stream bytes not handed out yet start at readAt
  size_t readAt = 0;
  int64_t erased = 0;  // stream bytes dropped from the buffer's front: buffer[0] is byte `erased`
  bool responded = false;  // the final response's body has started (or the transfer ended)
  bool finished = false;   // no more bytes will come
  bool stopping = false;   // Close wants the thread to end
  long status = 0;
  std::string contentType, error;
  int64_t contentLength = -1;                       // of the whole resource; -1 for a radio stream
  int64_t received = 0;                             // body bytes of the resource so far
  std::chrono::steady_clock::time_point lastBytes;  // when the server last sent something
  IcyStream icy;
  std::function<void(const std::string& title)> onTitle;
};

// Starts the download; `onTitle` is called with the lock held.
void StartDownload(HttpDownload* download, const std::string& url,
                   std::function<void(const std::string&)> onTitle);
// Asks the thread to end and waits for it.
void StopDownload(HttpDownload* download);
// Waits until at least `bytes` are buffered, the download finished, or `seconds` passed.
// Called with `hold` owning the download's lock.
void WaitForBytes(HttpDownload* download, std::unique_lock<std::mutex>& hold, size_t bytes,
                  int seconds);
