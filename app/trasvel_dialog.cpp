#include "app/trasvel_dialog.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "app/f_trasvel.h"
#include "platform/qt_text.h"
#include "platform/textos.h"

namespace app {
namespace {

using platform::qs;
using namespace layout;

QColor qColour(Rgb c) { return QColor(c.red, c.green, c.blue); }

// The fonts of the window, with the nearest sans serif of the same size
// where the Windows ones are missing (Liberation Sans has Arial's metrics).
QFont msSansSerif(bool bold) {
  QFont::insertSubstitutions("MS Sans Serif", {"Microsoft Sans Serif", "Liberation Sans",
                                               "Arimo", "Nimbus Sans", "DejaVu Sans"});
  QFont f("MS Sans Serif");
  f.setPointSizeF(8.25);
  f.setWeight(bold ? QFont::Bold : QFont::Normal);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QFont arial9() {
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"});
  QFont f("Arial", 9);
  f.setWeight(QFont::Normal);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

void setColour(QWidget& w, QPalette::ColorRole role, const QColor& colour) {
  QPalette p = w.palette();
  p.setColor(role, colour);
  w.setPalette(p);
}

}  // namespace

std::int16_t virtualKeyCode(int qtKey) {
  if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) return kTeclaEnter;
  if (qtKey == Qt::Key_Escape) return kTeclaEsc;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return static_cast<std::int16_t>(qtKey);  // Qt uses the ASCII codes here too
  }
  return 0;
}

TrasvelDialog::TrasvelDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(qs(textos::kTituloVentana));
  setFont(msSansSerif(true));
  setColour(*this, QPalette::Window, qColour(kBlanco));
  setAutoFillBackground(true);

  // The shape first, so that it lies under the controls it frames.
  sh_ = new QFrame(this);
  sh_->setObjectName("Sh");
  sh_->setFrameStyle(QFrame::Box | QFrame::Plain);
  sh_->setLineWidth(1);
  setColour(*sh_, QPalette::WindowText, qColour(kBordeSh));
  sh_->setAttribute(Qt::WA_TransparentForMouseEvents);
  sh_->setFocusPolicy(Qt::NoFocus);

  cmp_ = new QLineEdit(this);
  cmp_->setObjectName("Cmp");
  cmp_->setFont(msSansSerif(false));
  setColour(*cmp_, QPalette::Base, qColour(kFondoCmp));
  cmp_->installEventFilter(this);

  cmProceso_ = new QPushButton(qs(textos::kCmProceso), this);
  cmProceso_->setObjectName("CmProceso");
  cmSalir_ = new QPushButton(qs(textos::kCmSalir), this);
  cmSalir_->setObjectName("CmSalir");
  for (QPushButton* b : {cmProceso_, cmSalir_}) {
    b->setFont(msSansSerif(false));
    b->setAutoDefault(false);  // Enter in Cmp must not press a button
    b->setDefault(false);
  }

  lbFichero_ = new QLabel(qs(textos::kLbFichero), this);
  lbFichero_->setObjectName("LbFichero");
  lbFichero_->setFont(arial9());
  setColour(*lbFichero_, QPalette::WindowText, qColour(kTextoLbFichero));
  lbFichero_->setBuddy(cmp_);

  lbEsperar_ = new QLabel(qs(textos::kLbEsperarInicial), this);
  lbEsperar_->setObjectName("LbEsperar");
  lbEsperar_->setFont(msSansSerif(false));
  setColour(*lbEsperar_, QPalette::WindowText, qColour(kTextoLbEsperar));
  lbEsperar_->hide();

  for (QLabel* l : {lbFichero_, lbEsperar_}) {
    l->setTextFormat(Qt::PlainText);
    l->setFocusPolicy(Qt::NoFocus);
  }
  layOut();

  setTabOrder(cmp_, cmProceso_);
  setTabOrder(cmProceso_, cmSalir_);
  cmp_->setFocus(Qt::OtherFocusReason);

  connect(cmProceso_, &QPushButton::clicked, this, [this] {
    if (logic_) logic_->CmProceso_Click();
  });
  connect(cmSalir_, &QPushButton::clicked, this, [this] {
    if (logic_) logic_->CmSalir_Click();
  });
}

void TrasvelDialog::layOut() {
  const QScreen* s = screen();
  const double dpiX = s ? s->logicalDotsPerInchX() : 96.0;
  const double dpiY = s ? s->logicalDotsPerInchY() : 96.0;
  auto rect = [&](const Twips& t) {
    return QRect(twipsToPixels(t.left, dpiX), twipsToPixels(t.top, dpiY),
                 twipsToPixels(t.width, dpiX), twipsToPixels(t.height, dpiY));
  };
  setFixedSize(rect(kClientArea).size());
  sh_->setGeometry(rect(kSh));
  cmp_->setGeometry(rect(kCmp));
  cmProceso_->setGeometry(rect(kCmProceso));
  cmSalir_->setGeometry(rect(kCmSalir));
  // The labels are sized to their text: their place is fixed, their size
  // the one the text needs in the font at hand.
  for (auto [label, place] : {std::pair{lbFichero_, kLbFichero}, std::pair{lbEsperar_, kLbEsperar}}) {
    label->move(rect(place).topLeft());
    label->adjustSize();
  }
}

bool TrasvelDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmp_ && event->type() == QEvent::KeyPress && logic_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers m = key->modifiers();
    const std::int16_t shift = static_cast<std::int16_t>((m & Qt::ShiftModifier ? 1 : 0) |
                                                         (m & Qt::ControlModifier ? 2 : 0) |
                                                         (m & Qt::AltModifier ? 4 : 0));
    const std::int16_t code = virtualKeyCode(key->key());
    logic_->Cmp_KeyDown(code, shift);
    // Enter and Esc belong to the logic alone; other keys edit the text.
    return code == kTeclaEnter || code == kTeclaEsc;
  }
  return QDialog::eventFilter(watched, event);
}

void TrasvelDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
        button->click();
      }
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace app
