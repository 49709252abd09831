// Driving a Win32 window from its own thread in tests: keys posted as the
// keyboard would deliver them, the program's message loop run until the
// queue is empty, and message boxes answered from inside their own loops.
#pragma once

#include <windows.h>

#include <set>
#include <string>
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

struct SeenBox { std::string title, text; std::vector<std::string> buttons; };

// Answers the message boxes shown by this thread, in order, by pressing the
// button whose identifier is next in `answers` (IDOK, IDYES, IDNO), and
// writes down what each showed. A timer of the thread looks for them from
// inside the boxes' own message loops; one answerer lives at a time.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {
    active() = this;
    timer_ = ::SetTimer(nullptr, 0, 20, &BoxAnswerer::tick);
  }
  ~BoxAnswerer() {
    ::KillTimer(nullptr, timer_);
    active() = nullptr;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<SeenBox> seen() const { return seen_; }

 private:
  static BoxAnswerer*& active() {
    static BoxAnswerer* answerer = nullptr;
    return answerer;
  }

  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    BoxAnswerer* self = active();
    HWND box = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM found) -> BOOL {
          if (!::IsWindowVisible(h) || !::GetDlgItem(h, platform::kMessageTextId)) return TRUE;
          *reinterpret_cast<HWND*>(found) = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!self || !box || self->answered_.contains(box) ||
        self->seen_.size() == self->answers_.size()) {
      return;
    }
    SeenBox s{windowText(box), windowText(::GetDlgItem(box, platform::kMessageTextId)), {}};
    for (int id : {IDOK, IDYES, IDNO}) if (HWND b = ::GetDlgItem(box, id)) s.buttons.push_back(windowText(b));
    self->seen_.push_back(s);
    self->answered_.insert(box);
    const int id = self->answers_[self->seen_.size() - 1];
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
  }

  std::vector<int> answers_;
  std::vector<SeenBox> seen_;
  std::set<HWND> answered_;
  UINT_PTR timer_ = 0;
};

}  // namespace testing_support
