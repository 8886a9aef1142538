#include "tests/readers/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>

namespace {

constexpr int kPollMs = 50;

std::string ReadRequestHead(int socket) {
  std::string head;
  char c;
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384 &&
         recv(socket, &c, 1, 0) == 1)
    head += c;
  return head;
}

void Serve(TestHttpServer* server, int socket) {
  const std::string head = ReadRequestHead(socket);
  HttpRequest request;
  const size_t pathStart = head.find(' ') + 1;
  request.path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
  for (const char c : head.substr(head.find('\n') + 1))
    request.headers += char(std::tolower(static_cast<unsigned char>(c)));
  ++server->requests;
  server->handler(request, socket, *server);
  close(socket);
}

void Accept(TestHttpServer* server) {
  while (!server->stopping) {
    pollfd waiting{.fd = server->listener, .events = POLLIN, .revents = 0};
    if (poll(&waiting, 1, kPollMs) <= 0) continue;
    const int socket = accept(server->listener, nullptr, nullptr);
    if (socket < 0) continue;
    std::lock_guard<std::mutex> hold(server->lock);
    server->connections.emplace_back(Serve, server, socket);
  }
}

}  // namespace

bool SendBytes(int socket, const std::string& bytes) {
  return send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

TestHttpServer::TestHttpServer(HttpHandler serve) : handler(std::move(serve)) {
  listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 8) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port = ntohs(address.sin_port);
  acceptor = std::thread(Accept, this);
}

TestHttpServer::~TestHttpServer() {
  stopping = true;
  if (acceptor.joinable()) acceptor.join();
  for (std::thread& connection : connections) connection.join();
  close(listener);
}

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}
