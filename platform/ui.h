// The window as its logic sees it: the controls of fTrasvel, the repaint,
// the application-wide pointer and the modal message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class MessageIcon { None, Information, Question };
enum class MessageButtons { Ok, YesNo };

// The codes a message box answers with.
inline constexpr std::int16_t kAnswerOk = 1;
inline constexpr std::int16_t kAnswerYes = 6;
inline constexpr std::int16_t kAnswerNo = 7;

class Ui {
 public:
  virtual ~Ui() = default;

  // The text box Cmp.
  virtual std::string cmpText() const = 0;
  virtual void setCmpText(std::string_view text) = 0;
  // Start and length in characters (UTF-16 units), start 0-based.
  virtual void setCmpSelection(int start, int length) = 0;
  virtual void focusCmp() = 0;

  // The button "&Reparar".
  virtual void focusCmProceso() = 0;
  virtual void setCmProcesoEnabled(bool enabled) = 0;

  // The status label LbEsperar, sized to its caption.
  virtual void setLbEsperarVisible(bool visible) = 0;
  virtual void setLbEsperarCaption(std::string_view caption) = 0;

  // Paints the whole window now (the work blocks the event loop).
  virtual void repaintWindow() = 0;
  // The hourglass over the whole application, or the default pointer.
  virtual void setHourglass(bool on) = 0;
  // A modal box; answers kAnswerOk, kAnswerYes or kAnswerNo. A "\r" in the
  // text breaks the line, as on Windows. The Yes/No box has Yes as default.
  virtual std::int16_t messageBox(std::string_view text, std::string_view title, MessageIcon icon,
                                  MessageButtons buttons) = 0;
  // Closes the window, which ends the program.
  virtual void closeWindow() = 0;
};

}  // namespace platform
