#include "platform/qt_ui.h"

#include <QtGui/QGuiApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include "platform/qt_text.h"
#include "platform/textos.h"

namespace platform {

QtUi::QtUi(QWidget& window, QLineEdit& cmp, QPushButton& cmProceso, QLabel& lbEsperar)
    : window_(window), cmp_(cmp), cmProceso_(cmProceso), lbEsperar_(lbEsperar) {}

QtUi::~QtUi() { setHourglass(false); }

std::string QtUi::cmpText() const { return cmp_.text().toStdString(); }

void QtUi::setCmpText(std::string_view text) { cmp_.setText(qs(text)); }

void QtUi::setCmpSelection(int start, int length) { cmp_.setSelection(start, length); }

void QtUi::focusCmp() { cmp_.setFocus(Qt::OtherFocusReason); }

void QtUi::focusCmProceso() { cmProceso_.setFocus(Qt::OtherFocusReason); }

void QtUi::setCmProcesoEnabled(bool enabled) { cmProceso_.setEnabled(enabled); }

void QtUi::setLbEsperarVisible(bool visible) { lbEsperar_.setVisible(visible); }

void QtUi::setLbEsperarCaption(std::string_view caption) {
  lbEsperar_.setText(qs(caption));
  lbEsperar_.adjustSize();  // the label is sized to its caption
}

void QtUi::repaintWindow() { window_.repaint(); }

void QtUi::setHourglass(bool on) {
  if (on == hourglass_) return;
  if (on) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else QGuiApplication::restoreOverrideCursor();
  hourglass_ = on;
}

std::int16_t QtUi::messageBox(std::string_view text, std::string_view title, MessageIcon icon,
                              MessageButtons buttons) {
  QMessageBox box(&window_);
  box.setWindowTitle(qs(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(qs(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  box.setIcon(icon == MessageIcon::Information ? QMessageBox::Information
              : icon == MessageIcon::Question  ? QMessageBox::Question
                                               : QMessageBox::NoIcon);
  if (buttons == MessageButtons::Ok) {
    box.addButton(qs(textos::kBotonAceptar), QMessageBox::AcceptRole);
    box.exec();
    return kAnswerOk;
  }
  QPushButton* yes = box.addButton(qs(textos::kBotonSi), QMessageBox::YesRole);
  QPushButton* no = box.addButton(qs(textos::kBotonNo), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);  // Esc and the close box answer No, never something else
  box.exec();
  return box.clickedButton() == yes ? kAnswerYes : kAnswerNo;
}

void QtUi::closeWindow() { window_.close(); }

}  // namespace platform
