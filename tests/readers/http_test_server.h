// A small HTTP server on 127.0.0.1 for the network reader tests, started and stopped by the
// test. Each connection runs the handler on a thread of its own; handlers that hold a
// connection open watch `stopping`.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpRequest {
  std::string path;
  std::string headers;  // the header lines as received, lower case
};

struct TestHttpServer;
// Writes `bytes` to the connection; false once the client has gone.
bool SendBytes(int socket, const std::string& bytes);

using HttpHandler = std::function<void(const HttpRequest&, int socket, TestHttpServer&)>;

struct TestHttpServer {
  int listener = -1;
  int port = 0;
  HttpHandler handler;
  std::thread acceptor;
  std::mutex lock;  // guards connections
  std::vector<std::thread> connections;
  std::atomic<bool> stopping{false};  // written by the test thread, read by the handlers
  std::atomic<int> requests{0};       // written by connection threads, read by the test
  explicit TestHttpServer(HttpHandler handler);
  ~TestHttpServer();
  std::string Url(const std::string& path) const;
};
