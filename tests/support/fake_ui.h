// A window that remembers what was done to it, for tests of the window's
// logic without Qt. Every call is also written to a shared journal (when
// given), so that tests can check the order of window, file and engine work.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace testing_support {

struct ShownMessage {
  std::string text;
  std::string title;
  platform::MessageIcon icon;
  platform::MessageButtons buttons;
  bool operator==(const ShownMessage&) const = default;
};

// An information notice with `text`, as the window shows one.
inline ShownMessage notice(const std::string& text) {
  return {text, "Información", platform::MessageIcon::Information, platform::MessageButtons::Ok};
}

class FakeUi : public platform::Ui {
 public:
  explicit FakeUi(std::vector<std::string>* journal = nullptr) : journal_(journal) {}

  // The window's state.
  std::string cmp;
  int selectionStart = -1;
  std::string focus = "Cmp";
  bool cmProcesoEnabled = true;
  bool lbEsperarVisible = false;
  std::string lbEsperarCaption = " ";
  bool hourglass = false;
  bool closed = false;
  std::vector<ShownMessage> messages;
  // Answers to Yes/No boxes, in turn; Yes when none is left.
  std::deque<std::int16_t> answers;
  // Called each time a box is shown, before it answers.
  std::function<void(const ShownMessage&)> onMessage;

  std::string cmpText() const override { return cmp; }
  void setCmpText(std::string_view text) override {
    cmp = text;
    selectionStart = -1;
    note("text " + cmp);
  }
  void setCmpSelection(int start, int length) override {
    selectionStart = start;
    note("select " + std::to_string(start) + "," + std::to_string(length));
  }
  void focusCmp() override { focus = "Cmp"; note("focus Cmp"); }
  void focusCmProceso() override { focus = "CmProceso"; note("focus CmProceso"); }
  void setCmProcesoEnabled(bool enabled) override {
    cmProcesoEnabled = enabled;
    note(enabled ? "enable CmProceso" : "disable CmProceso");
  }
  void setLbEsperarVisible(bool visible) override {
    lbEsperarVisible = visible;
    note(visible ? "show LbEsperar" : "hide LbEsperar");
  }
  void setLbEsperarCaption(std::string_view caption) override {
    lbEsperarCaption = caption;
    note("caption " + lbEsperarCaption);
  }
  void repaintWindow() override { note("repaint"); }
  void setHourglass(bool on) override { hourglass = on; note(on ? "hourglass" : "pointer"); }
  std::int16_t messageBox(std::string_view text, std::string_view title, platform::MessageIcon icon,
                          platform::MessageButtons buttons) override {
    ShownMessage m{std::string(text), std::string(title), icon, buttons};
    messages.push_back(m);
    note("box " + m.title + ": " + m.text);
    if (onMessage) onMessage(m);
    if (buttons == platform::MessageButtons::Ok) return platform::kAnswerOk;
    if (answers.empty()) return platform::kAnswerYes;
    const std::int16_t a = answers.front();
    answers.pop_front();
    return a;
  }
  void closeWindow() override { closed = true; note("close"); }

 private:
  void note(const std::string& line) {
    if (journal_) journal_->push_back(line);
  }
  std::vector<std::string>* journal_;
};

}  // namespace testing_support
