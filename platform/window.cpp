#include "platform/window.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_queue.h"

struct Window {
  std::u16string className;
  std::u16string title;
  WindowProc procedure;
  WindowHandle parent;
  Rect bounds;
  bool visible;
  void* data = nullptr;
  uint32_t threadId;
  bool erase = false;
};

namespace {

// Internal: asks a window's own thread to destroy it.
constexpr uint32_t kDestroyRequest = 0x7FFF0001;

// Live windows. Handles stay valid keys until destruction; a dead handle is simply unknown.
std::recursive_mutex windowsLock;
std::map<WindowHandle, std::unique_ptr<Window>> windows;  // guarded by windowsLock
std::atomic<WindowHandle> focusWindow{nullptr};

template <typename Action>
auto WithWindow(WindowHandle window, auto fallback, Action action) {
  std::lock_guard<std::recursive_mutex> hold(windowsLock);
  const auto found = windows.find(window);
  return found == windows.end() ? fallback : action(*found->second);
}

std::vector<WindowHandle> ChildrenOf(WindowHandle parent) {
  std::lock_guard<std::recursive_mutex> hold(windowsLock);
  std::vector<WindowHandle> children;
  for (const auto& [handle, window] : windows)
    if (window->parent == parent) children.push_back(handle);
  return children;
}

void Forget(WindowHandle window) {
  if (const auto queue = QueueOfThread(GetWindowThreadId(window))) {
    std::lock_guard<std::mutex> hold(queue->lock);
    std::erase_if(queue->timers, [&](const WindowTimer& t) { return t.window == window; });
    queue->needsPaint.erase(window);
  }
  WindowHandle expected = window;
  focusWindow.compare_exchange_strong(expected, nullptr);
  std::lock_guard<std::recursive_mutex> hold(windowsLock);
  windows.erase(window);
}

intptr_t DestroyRequestProc(WindowHandle window, uint32_t, uintptr_t, intptr_t) {
  return DestroyWindow(window);
}

}  // namespace

WindowHandle CreateWindow(const WindowDescription& description) {
  auto window = std::make_unique<Window>(
      Window{.className = description.className ? description.className : u"",
             .title = description.title ? description.title : u"",
             .procedure = description.procedure ? description.procedure : DefWindowProc,
             .parent = description.parent,
             .bounds = description.bounds,
             .visible = description.visible,
             .threadId = GetCurrentThreadId()});
  WindowHandle handle = window.get();
  {
    std::lock_guard<std::recursive_mutex> hold(windowsLock);
    windows[handle] = std::move(window);
  }
  if (SendMessage(handle, WM_CREATE, 0, reinterpret_cast<intptr_t>(&description)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  // A new window shows its contents: its first paint is due once the queue is empty.
  if (description.visible) InvalidateWindow(handle, true);
  return handle;
}

bool DestroyWindow(WindowHandle window) {
  if (!IsWindow(window)) return false;
  if (GetWindowThreadId(window) != GetCurrentThreadId()) {
    // Runs the destruction on the owner's thread through a one-off procedure call.
    const auto queue = QueueOfThread(GetWindowThreadId(window));
    if (!queue) return false;
    const WindowProc previous = SetWindowProc(window, DestroyRequestProc);
    const intptr_t result = SendMessage(window, kDestroyRequest, 0, 0);
    if (IsWindow(window)) SetWindowProc(window, previous);
    return result != 0;
  }
  SendMessage(window, WM_DESTROY, 0, 0);
  for (WindowHandle child : ChildrenOf(window)) DestroyWindow(child);
  Forget(window);
  return true;
}

bool IsWindow(WindowHandle window) {
  return WithWindow(window, false, [](Window&) { return true; });
}

WindowHandle FindWindow(std::u16string_view className, std::u16string_view title) {
  std::lock_guard<std::recursive_mutex> hold(windowsLock);
  for (const auto& [handle, window] : windows)
    if (window->className == className && window->title == title) return handle;
  return nullptr;
}

WindowHandle GetParent(WindowHandle window) {
  return WithWindow(window, WindowHandle{}, [](Window& w) { return w.parent; });
}

uint32_t GetWindowThreadId(WindowHandle window) {
  return WithWindow(window, uint32_t{0}, [](Window& w) { return w.threadId; });
}

WindowProc SetWindowProc(WindowHandle window, WindowProc procedure) {
  return WithWindow(window, WindowProc{},
                    [&](Window& w) { return std::exchange(w.procedure, procedure); });
}

WindowProc GetWindowProc(WindowHandle window) {
  return WithWindow(window, WindowProc{}, [](Window& w) { return w.procedure; });
}

intptr_t CallWindowProc(WindowProc procedure, WindowHandle window, uint32_t message,
                        uintptr_t wParam, intptr_t lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_PAINT) ValidateWindow(window);
  return 0;
}

void* GetWindowData(WindowHandle window) {
  return WithWindow(window, static_cast<void*>(nullptr), [](Window& w) { return w.data; });
}

void SetWindowData(WindowHandle window, void* data) {
  WithWindow(window, 0, [&](Window& w) {
    w.data = data;
    return 0;
  });
}

Rect GetWindowRect(WindowHandle window) {
  return WithWindow(window, Rect{}, [](Window& w) { return w.bounds; });
}

void MoveWindow(WindowHandle window, const Rect& bounds) {
  WithWindow(window, 0, [&](Window& w) {
    w.bounds = bounds;
    return 0;
  });
  InvalidateWindow(window, true);
}

void ShowWindow(WindowHandle window, bool visible) {
  WithWindow(window, 0, [&](Window& w) {
    w.visible = visible;
    return 0;
  });
  if (visible) InvalidateWindow(window, true);
}

bool IsWindowVisible(WindowHandle window) {
  return WithWindow(window, false, [](Window& w) { return w.visible; });
}

WindowHandle SetFocus(WindowHandle window) {
  const WindowHandle previous = focusWindow.exchange(window);
  if (previous == window) return previous;
  if (previous && IsWindow(previous))
    SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<uintptr_t>(window), 0);
  if (window) SendMessage(window, WM_SETFOCUS, reinterpret_cast<uintptr_t>(previous), 0);
  return previous;
}

WindowHandle GetFocus() {
  return focusWindow.load();
}

// A hidden window is not painted: it is invalidated again when it is shown.
void InvalidateWindow(WindowHandle window, bool erase) {
  if (!WithWindow(window, false, [&](Window& w) {
        w.erase |= erase;
        return w.visible;
      }))
    return;
  if (const auto queue = QueueOfThread(GetWindowThreadId(window))) {
    std::lock_guard<std::mutex> hold(queue->lock);
    queue->needsPaint.insert(window);
    queue->wake.notify_all();
  }
}

void ValidateWindow(WindowHandle window) {
  WithWindow(window, 0, [](Window& w) {
    w.erase = false;
    return 0;
  });
  if (const auto queue = QueueOfThread(GetWindowThreadId(window))) {
    std::lock_guard<std::mutex> hold(queue->lock);
    queue->needsPaint.erase(window);
  }
}

bool WindowNeedsErase(WindowHandle window) {
  return WithWindow(window, false, [](Window& w) { return w.erase; });
}
