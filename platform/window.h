// Windows, their procedures and the per-thread message queues.
//
// A window belongs to the thread that created it: its procedure runs only on that thread, from
// DispatchMessage, from SendMessage on the same thread, or while that thread waits in
// GetMessage, PeekMessage or its own SendMessage (messages sent from other threads).
#pragma once

#include <cstdint>
#include <string_view>

// Message numbers.
constexpr uint32_t WM_CREATE = 1;
constexpr uint32_t WM_DESTROY = 2;
constexpr uint32_t WM_MOVE = 3;
constexpr uint32_t WM_SIZE = 5;
constexpr uint32_t WM_ACTIVATE = 6;
constexpr uint32_t WM_SETFOCUS = 7;
constexpr uint32_t WM_KILLFOCUS = 8;
constexpr uint32_t WM_PAINT = 15;
constexpr uint32_t WM_CLOSE = 16;
constexpr uint32_t WM_QUIT = 18;
constexpr uint32_t WM_ERASEBKGND = 20;
constexpr uint32_t WM_NOTIFY = 78;
constexpr uint32_t WM_HELP = 83;
constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_KEYUP = 257;
constexpr uint32_t WM_CHAR = 258;
constexpr uint32_t WM_COMMAND = 273;
constexpr uint32_t WM_TIMER = 275;
constexpr uint32_t WM_INITMENUPOPUP = 279;
constexpr uint32_t WM_MOUSEMOVE = 512;
constexpr uint32_t WM_LBUTTONDOWN = 513;
constexpr uint32_t WM_LBUTTONUP = 514;
constexpr uint32_t WM_USER = 1024;

struct Window;
using WindowHandle = Window*;
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

struct Rect {
  int32_t left, top, right, bottom;
};

struct WindowDescription {
  const char16_t* className = u"";
  const char16_t* title = u"";
  WindowProc procedure = nullptr;
  WindowHandle parent = nullptr;
  Rect bounds{};  // in screen pixels
  bool visible = true;
  void* createData = nullptr;  // handed to WM_CREATE as lParam
};

// Creates the window on the calling thread; WM_CREATE reaches the procedure during the call
// (lParam: the description). A procedure that answers WM_CREATE with -1 refuses: null.
// A visible window is then due for its first WM_PAINT.
WindowHandle CreateWindow(const WindowDescription& description);
// Sends WM_DESTROY to the window and then to its children, and forgets them. From another
// thread the destruction runs on the window's own thread and this call waits for it.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
// The first live window with this class name and title (compared exactly).
WindowHandle FindWindow(std::u16string_view className, std::u16string_view title);
WindowHandle GetParent(WindowHandle window);
uint32_t GetWindowThreadId(WindowHandle window);

// Gives the window a new procedure and returns the previous one (to call with CallWindowProc).
WindowProc SetWindowProc(WindowHandle window, WindowProc procedure);
WindowProc GetWindowProc(WindowHandle window);
intptr_t CallWindowProc(WindowProc procedure, WindowHandle window, uint32_t message,
                        uintptr_t wParam, intptr_t lParam);
// Default handling: WM_CLOSE destroys the window, WM_PAINT validates it, the rest answer 0.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

void* GetWindowData(WindowHandle window);
void SetWindowData(WindowHandle window, void* data);
Rect GetWindowRect(WindowHandle window);
void MoveWindow(WindowHandle window, const Rect& bounds);
void ShowWindow(WindowHandle window, bool visible);
bool IsWindowVisible(WindowHandle window);
// Focus moves with WM_KILLFOCUS to the old window and WM_SETFOCUS to the new one.
WindowHandle SetFocus(WindowHandle window);
WindowHandle GetFocus();

// Marks the window for painting: its thread receives WM_PAINT once its queue is empty.
void InvalidateWindow(WindowHandle window, bool erase);
void ValidateWindow(WindowHandle window);
bool WindowNeedsErase(WindowHandle window);

// ---- Messages ----

struct Message {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;
};

// The calling thread's id, small and stable for the thread's life (never 0).
uint32_t GetCurrentThreadId();

// Waits for the next message of the calling thread (handling sent messages meanwhile). False
// when it is WM_QUIT; the quit code is then in message->wParam.
bool GetMessage(Message* message);
// Like GetMessage without waiting; false when nothing is queued.
bool PeekMessage(Message* message, bool remove);
void TranslateMessage(const Message* message);
intptr_t DispatchMessage(const Message* message);
void PostQuitMessage(int32_t code);
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Calls the procedure and returns its answer. From another thread the sender waits until the
// window's thread has handled the message (0 when the window or its thread is gone).
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Window timers: WM_TIMER with wParam = id every `milliseconds` while the window lives.
uint32_t SetTimer(WindowHandle window, uint32_t id, uint32_t milliseconds);
bool KillTimer(WindowHandle window, uint32_t id);

// A backend that must poll its own event source on the main thread (SDL) installs this: the
// thread's waits then call it at least every few milliseconds.
using EventPoller = void (*)();
void SetMainThreadPoller(EventPoller poller);
