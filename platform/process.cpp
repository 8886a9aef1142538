#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/files.h"

extern char** environ;

namespace {

constexpr char kSocketName[] = "morvelant.sock";
constexpr char kCloseRequest = 'C';
constexpr char kClosedAnswer = 'K';

std::atomic<int> listenerSocket{-1};
// The socket file this player bound (main thread writes at start, reads at exit): removed at
// exit unless a newer player has since taken the name over with a file of its own.
struct BoundSocket {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
};
BoundSocket boundSocket;
// Set while a request is served, so the player does not end before its answer is written;
// never destroyed, as the listener thread may outlive static destruction.
constexpr auto kAnswerPatience = std::chrono::seconds(2);
std::mutex& servingLock = *new std::mutex;
std::condition_variable& servingDone = *new std::condition_variable;
bool serving = false;  // guarded by servingLock

void SetServing(bool value) {
  std::lock_guard<std::mutex> hold(servingLock);
  serving = value;
  servingDone.notify_all();
}
void (*terminationHandler)() = nullptr;

std::string SocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* own = std::getenv("MORVELANT_HOME");
  // A player with its own home is its own instance family (tests run several side by side).
  const std::string folder = own && *own           ? PlayerHome()
                             : runtime && *runtime ? runtime
                                                   : PlayerHome();
  return folder + "/" + kSocketName;
}

bool SocketAddress(sockaddr_un* address) {
  const std::string path = SocketPath();
  if (path.size() >= sizeof(address->sun_path)) return false;
  std::memset(address, 0, sizeof(*address));
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path, path.c_str(), path.size());
  return true;
}

void ServeRequests(int listener, void (*closeMainWindow)()) {
  for (;;) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) return;  // the socket was shut down
    char request = 0;
    if (read(client, &request, 1) == 1 && request == kCloseRequest) {
      SetServing(true);
      closeMainWindow();
      const ssize_t sent = write(client, &kClosedAnswer, 1);
      (void)sent;
      SetServing(false);
    }
    close(client);
  }
}

}  // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  // Reap it in the background so it never lingers as a zombie.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

bool OpenWithDesktop(const std::string& target) {
  return StartProgram("xdg-open", {target});
}

bool AskRunningPlayerToClose() {
  sockaddr_un address;
  if (!SocketAddress(&address)) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool replaced = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      write(fd, &kCloseRequest, 1) == 1) {
    char answer = 0;
    replaced = read(fd, &answer, 1) == 1 && answer == kClosedAnswer;
  }
  close(fd);
  return replaced;
}

void ListenForReplacement(void (*closeMainWindow)()) {
  sockaddr_un address;
  if (!SocketAddress(&address)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  // A replaced player may still be ending: its socket file is taken over, not shared.
  unlink(address.sun_path);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(fd, 4) != 0) {
    close(fd);
    return;
  }
  struct stat info {};
  if (stat(address.sun_path, &info) == 0)
    boundSocket = {address.sun_path, info.st_dev, info.st_ino};
  listenerSocket = fd;
  std::thread(ServeRequests, fd, closeMainWindow).detach();
}

namespace {

void RemoveBoundSocketFile() {
  struct stat info {};
  if (!boundSocket.path.empty() && stat(boundSocket.path.c_str(), &info) == 0 &&
      info.st_dev == boundSocket.device && info.st_ino == boundSocket.inode)
    unlink(boundSocket.path.c_str());
  boundSocket = {};
}

}  // namespace

void StopListeningForReplacement() {
  const int fd = listenerSocket.exchange(-1);
  if (fd < 0) return;
  shutdown(fd, SHUT_RDWR);
  close(fd);
  RemoveBoundSocketFile();
  // A request whose close has just been handled still gets its answer (bounded, in case the
  // request came too late to be handled at all).
  std::unique_lock<std::mutex> hold(servingLock);
  servingDone.wait_for(hold, kAnswerPatience, [] { return !serving; });
}

void RouteTerminationSignals(void (*handler)()) {
  terminationHandler = handler;
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    for (;;) {
      int received = 0;
      if (sigwait(&signals, &received) == 0) terminationHandler();
    }
  }).detach();
}
