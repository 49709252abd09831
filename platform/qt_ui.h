// The window's operations over Qt widgets, and Qt's modal message boxes.
#pragma once

#include "platform/ui.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {

class QtUi : public Ui {
 public:
  // The widgets belong to the window and must outlive this object.
  QtUi(QWidget& window, QLineEdit& cmp, QPushButton& cmProceso, QLabel& lbEsperar);
  // Gives back the default pointer if the hourglass is still up.
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  std::string cmpText() const override;
  void setCmpText(std::string_view text) override;
  void setCmpSelection(int start, int length) override;
  void focusCmp() override;
  void focusCmProceso() override;
  void setCmProcesoEnabled(bool enabled) override;
  void setLbEsperarVisible(bool visible) override;
  void setLbEsperarCaption(std::string_view caption) override;
  void repaintWindow() override;
  void setHourglass(bool on) override;
  std::int16_t messageBox(std::string_view text, std::string_view title, MessageIcon icon,
                          MessageButtons buttons) override;
  void closeWindow() override;

 private:
  QWidget& window_;
  QLineEdit& cmp_;
  QPushButton& cmProceso_;
  QLabel& lbEsperar_;
  bool hourglass_ = false;
};

}  // namespace platform
