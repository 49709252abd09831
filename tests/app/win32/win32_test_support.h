// Driving a Win32 window from its own thread in tests: keys posted as the
// keyboard would deliver them, the program's message loop run until the
// queue is empty, and message boxes answered from a thread of their own.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/spanish_message_box.h"
#include "platform/win32/wide.h"

namespace testing_support {

// Runs the dialog loop of `window` until no message is waiting; true iff
// the loop was told to end (WM_QUIT, which is taken off the queue).
inline bool pump(HWND window) {
  MSG m;
  bool quit = false;
  while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      quit = true;
      continue;
    }
    if (::IsWindow(window) && ::IsDialogMessageW(window, &m)) continue;
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
  }
  return quit;
}

// A key pressed where the focus is: key down (a system key with Alt), and
// the character it types, if any. True iff the loop was told to end.
inline bool press(HWND window, WPARAM key, bool alt = false, wchar_t typed = 0) {
  HWND focus = ::GetFocus();
  ::PostMessageW(focus, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
  if (typed) ::PostMessageW(focus, alt ? WM_SYSCHAR : WM_CHAR, typed, 1);
  ::PostMessageW(focus, alt ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000001);
  return pump(window);
}

inline std::string windowText(HWND h) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(h, text, 1024);
  return platform::fromWide(text);
}

struct SeenBox {
  std::string title, text;
  std::vector<std::string> buttons;
};

// Answers the message boxes shown by this thread, in order, by pressing the
// button whose identifier is next in `answers` (IDOK, IDYES, IDNO), and
// writes down what each showed. Gives up a few seconds after the last box.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::vector<int> answers)
      : answers_(std::move(answers)), owner_(::GetCurrentThreadId()),
        thread_([this] { run(); }) {}
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<SeenBox> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  void run() {
    std::size_t next = 0;
    auto idle = std::chrono::steady_clock::now();
    while (!stop_ && next < answers_.size() &&
           std::chrono::steady_clock::now() - idle < std::chrono::seconds(20)) {
      HWND box = nullptr;
      ::EnumThreadWindows(
          owner_,
          [](HWND h, LPARAM found) -> BOOL {
            if (!::IsWindowVisible(h) || !::GetDlgItem(h, platform::kMessageTextId)) return TRUE;
            *reinterpret_cast<HWND*>(found) = h;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&box));
      if (!box || answered_.contains(box)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      SeenBox s{windowText(box), windowText(::GetDlgItem(box, platform::kMessageTextId)), {}};
      for (int id : {IDOK, IDYES, IDNO}) {
        if (HWND b = ::GetDlgItem(box, id)) s.buttons.push_back(windowText(b));
      }
      {
        std::lock_guard lock(mutex_);
        seen_.push_back(s);
      }
      answered_.insert(box);
      const int id = answers_[next++];
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
      idle = std::chrono::steady_clock::now();
    }
  }

  std::vector<int> answers_;
  DWORD owner_;
  std::atomic<bool> stop_{false};
  std::set<HWND> answered_;
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace testing_support
