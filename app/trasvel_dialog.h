// The window fTrasvel drawn with Qt Widgets: a fixed-size dialog whose
// controls sit where their twips put them at the screen's logical
// resolution. It holds no logic: it forwards the load, the keys of Cmp and
// the clicks to an fTrasvel, which answers through platform::QtUi.
#pragma once

#include <QtWidgets/QDialog>

#include <cstdint>

#include "app/layout.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class fTrasvel;

// The virtual key code Windows gives a Qt key (13 Enter, 27 Esc, letters and
// digits as their upper-case ASCII code), or 0 for keys the logic ignores.
std::int16_t virtualKeyCode(int qtKey);

class TrasvelDialog : public QDialog {
 public:
  explicit TrasvelDialog(QWidget* parent = nullptr);

  // Events go to `logic` from now on; it must outlive the window's use.
  void setLogic(fTrasvel* logic) { logic_ = logic; }

  QLineEdit& cmp() { return *cmp_; }
  QPushButton& cmProceso() { return *cmProceso_; }
  QPushButton& cmSalir() { return *cmSalir_; }
  QLabel& lbFichero() { return *lbFichero_; }
  QLabel& lbEsperar() { return *lbEsperar_; }
  QFrame& sh() { return *sh_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Esc does not close the dialog (only Esc in Cmp does, through the logic);
  // Enter presses the button that has the focus, as on Windows.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void layOut();

  fTrasvel* logic_ = nullptr;
  QFrame* sh_;
  QLineEdit* cmp_;
  QPushButton* cmProceso_;
  QPushButton* cmSalir_;
  QLabel* lbFichero_;
  QLabel* lbEsperar_;
};

}  // namespace app
