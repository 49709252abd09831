// The real window, offscreen: its layout at 96 dpi, fonts and colours, focus
// and keys, and what the user sees while the repair runs.
#include "app/trasvel_dialog.h"

#include <gtest/gtest.h>

#include <QtGui/QScreen>
#include <QtTest/QTest>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>

#include "app/f_trasvel.h"
#include "platform/qt_ui.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/fake_disk.h"
#include "tests/support/fake_engine.h"
#include "tests/support/fake_profile.h"
#include "tests/support/temp_drives.h"

namespace app {
namespace {

using testing_support::SeenBox;

class TrasvelDialogTest : public ::testing::Test {
 protected:
  TrasvelDialogTest() {
    fs.addFolder("C:\\KEL\\DATOS");
    fs.addFile("C:\\KEL\\DATOS\\KEL01.MDB", "MDB uno");
    window.setLogic(&logic);
  }

  // Loads and shows the window as the program does, and waits until it is
  // active so that it has the keyboard.
  void start() {
    logic.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  QWidget* focused() { return QApplication::focusWidget(); }

  testing_support::TempDrives fs{"C:\\KEL"};
  testing_support::FakeEngine engine{fs};
  testing_support::FakeProfile profile;
  testing_support::FakeDisk disk{fs};
  TrasvelDialog window;
  platform::QtUi ui{window, window.cmp(), window.cmProceso(), window.lbEsperar()};
  fTrasvel logic{ui, fs, engine, profile, disk};
};

TEST_F(TrasvelDialogTest, GeometryInPixelsAt96DpiFixedDialogFrameCentredWithTitle) {
  ASSERT_EQ(window.screen()->logicalDotsPerInchX(), 96.0) << "the offscreen screen is 96 dpi";
  EXPECT_EQ(window.size(), QSize(468, 144));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";
  EXPECT_EQ(window.cmp().geometry(), QRect(36, 54, 395, 15));
  EXPECT_EQ(window.cmProceso().geometry(), QRect(312, 108, 60, 23));
  EXPECT_EQ(window.cmSalir().geometry(), QRect(382, 108, 60, 23));
  EXPECT_EQ(window.sh().geometry(), QRect(21, 17, 429, 73));
  // Labels sit at their place, sized to their text.
  EXPECT_EQ(window.lbFichero().pos(), QPoint(36, 35));
  EXPECT_EQ(window.lbEsperar().pos(), QPoint(20, 116));
  EXPECT_EQ(window.lbFichero().size(), window.lbFichero().sizeHint());
  EXPECT_EQ(twipsToPixels(7020, 144), 702) << "at 144 dpi, 10 twips to the pixel";

  start();
  const Qt::WindowFlags f = window.windowFlags();
  EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(f & Qt::MSWindowsFixedSizeDialogHint);
  EXPECT_EQ(window.windowTitle(), QString("Reparación de Bases de Datos"));
  const QPoint off = window.frameGeometry().center() - window.screen()->availableGeometry().center();
  EXPECT_LE(off.manhattanLength(), 2) << off.x() << "," << off.y();
}

TEST_F(TrasvelDialogTest, FontsAndColours) {
  auto expectFont = [](const QFont& f, const char* family, double points, int weight) {
    EXPECT_EQ(f.family(), family);
    EXPECT_DOUBLE_EQ(f.pointSizeF(), points);
    EXPECT_EQ(f.weight(), weight);
  };
  expectFont(window.font(), "MS Sans Serif", 8.25, QFont::Bold);
  for (QWidget* w : std::initializer_list<QWidget*>{&window.cmp(), &window.cmProceso(),
                                                   &window.cmSalir(), &window.lbEsperar()}) {
    SCOPED_TRACE(w->objectName().toStdString());
    expectFont(w->font(), "MS Sans Serif", 8.25, QFont::Normal);
  }
  expectFont(window.lbFichero().font(), "Arial", 9, QFont::Normal);
  EXPECT_EQ(window.lbFichero().palette().color(QPalette::WindowText), QColor(0, 128, 128));
  EXPECT_EQ(window.lbEsperar().palette().color(QPalette::WindowText), QColor(128, 0, 0));

  // What is drawn: white background, the text box's light cyan.
  start();
  const QImage image = window.grab().toImage();
  EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(200, 61), QColor(192, 255, 255));
  EXPECT_TRUE(window.lbFichero().isVisible());
}

// The folder comes from the settings (the key and file that hold it: the
// end-to-end test), asked with room for 250 characters, its blanks trimmed.
TEST_F(TrasvelDialogTest, LoadSelectsTheSecondXFocusInCmpAndLabelHidden) {
  profile.value = "c:\\datos   ";
  start();
  EXPECT_EQ(profile.askedSize, 250u);
  EXPECT_EQ(window.cmp().text(), QString("C:\\DATOS\\KELxx.MDB"));
  EXPECT_EQ(window.cmp().selectionStart(), 13);
  EXPECT_EQ(window.cmp().selectedText(), QString("x"));
  EXPECT_EQ(focused(), &window.cmp());
  EXPECT_FALSE(window.lbEsperar().isVisible());
  EXPECT_EQ(window.lbEsperar().text(), QString(" "));
  // Tab goes round Cmp, "Reparar", "Salir".
  for (QWidget* next : std::initializer_list<QWidget*>{&window.cmProceso(), &window.cmSalir(),
                                                       &window.cmp()}) {
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(focused(), next);
  }
}

// Keys in Cmp, with each modifier.
const std::pair<const char*, Qt::KeyboardModifiers> kModifiers[] = {
    {"none", Qt::NoModifier},   {"Shift", Qt::ShiftModifier}, {"Ctrl", Qt::ControlModifier},
    {"Alt", Qt::AltModifier},   {"keypad", Qt::KeypadModifier}};

// Keys that never end the program: Enter in Cmp, whatever the modifiers,
// moves the focus to "Reparar" (when pressed, not when let go) and starts
// nothing; Esc on a button does nothing.
TEST_F(TrasvelDialogTest, EnterInCmpMovesTheFocusAndEscOnAButtonDoesNothing) {
  start();
  testing_support::BoxAnswerer boxes;
  for (auto [name, modifiers] : kModifiers) {
    SCOPED_TRACE(name);
    window.cmp().setText("c:\\kel\\datos\\kel01.mdb");
    window.cmp().setFocus();
    const Qt::Key key = modifiers == Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return;
    QTest::keyRelease(&window.cmp(), key, modifiers);
    EXPECT_EQ(focused(), &window.cmp()) << "a key acts when pressed, not when let go";
    QTest::keyClick(&window.cmp(), key, modifiers);
    EXPECT_EQ(focused(), &window.cmProceso());
  }
  for (QPushButton* b : {&window.cmProceso(), &window.cmSalir()}) {
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Escape);
    EXPECT_EQ(focused(), b) << b->objectName().toStdString();
  }
  QTest::qWait(20);
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_EQ(engine.repairs, 0);
  EXPECT_TRUE(window.isVisible());
}

// Every way of closing the window ends the program's event loop: "Salir"
// clicked, Enter on it, its access key, Esc in Cmp whatever the modifiers
// and the text, the close box.
TEST_F(TrasvelDialogTest, EachWayOfClosingEndsTheEventLoop) {
  std::vector<std::pair<std::string, std::function<void()>>> ways = {
      {"Salir", [&] { QTest::mouseClick(&window.cmSalir(), Qt::LeftButton); }},
      {"Enter on Salir",
       [&] {
         window.cmSalir().setFocus();
         QTest::keyClick(&window.cmSalir(), Qt::Key_Return);
       }},
      {"Alt+S", [&] { QTest::keyClick(&window.cmp(), Qt::Key_S, Qt::AltModifier); }},
      {"close box", [&] { window.close(); }}};
  for (auto [name, modifiers] : kModifiers) {
    ways.emplace_back(std::string("Esc with ") + name, [&, modifiers] {
      window.cmp().setText(modifiers == Qt::NoModifier ? "" : "C:\\ALGO");
      QTest::keyClick(&window.cmp(), Qt::Key_Escape, modifiers);
    });
  }
  for (const auto& [name, way] : ways) {
    SCOPED_TRACE(name);
    start();
    QObject iteration;  // its timers go with it
    QTimer::singleShot(0, &iteration, way);
    QTimer::singleShot(5000, &iteration, [] { QApplication::exit(99); });  // a loop never ending
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
  }
}

// "Reparar" pressed by its access key from the text box (it clicks a moment
// later, as it is drawn pressed first); Esc on the confirmation answers No.
TEST_F(TrasvelDialogTest, AccessKeyPressesRepararAndEscOnTheConfirmationAnswersNo) {
  start();
  testing_support::BoxAnswerer boxes({"Esc"});
  window.cmp().setText("c:\\kel\\datos\\kel01.mdb");
  QTest::keyClick(&window.cmp(), Qt::Key_R, Qt::AltModifier);
  for (int i = 0; i < 200 && boxes.seen.empty(); ++i) QTest::qWait(10);
  ASSERT_EQ(boxes.seen.size(), 1u) << "the confirmation";
  EXPECT_EQ(boxes.seen[0].buttons, (QStringList{"Sí", "No"}));
  EXPECT_EQ(engine.repairs, 0);
  EXPECT_EQ(logic.Respuesta(), -1);
}

// "Reparar" answered Yes, the engine failing. While the procedure runs the
// button is disabled, the pointer is the hourglass and the label shows its
// caption, painted at once; afterwards all is back and the focus is in the
// text box. The boxes look as a Spanish Windows shows them. (What the
// procedure does after a refusal or a failure is proved below the window, in
// its own tests.)
TEST_F(TrasvelDialogTest, RepararIsDisabledWhileTheProcedureRunsAndTheBoxesAsSeen) {
  engine.repairError = platform::RunError{3343, "Formato de base de datos no reconocido."};
  start();
  int labelPaints = 0;
  struct PaintCounter : QObject {
    int* n;
    explicit PaintCounter(int* count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter(&labelPaints);
  window.lbEsperar().installEventFilter(&counter);

  bool duringRepair = false;
  engine.onRepair = [&] {
    duringRepair = true;
    EXPECT_FALSE(window.cmProceso().isEnabled());
    EXPECT_TRUE(window.lbEsperar().isVisible());
    EXPECT_EQ(window.lbEsperar().text(), QString("REPARANDO la base de datos ..."));
    EXPECT_GT(labelPaints, 0) << "the label was painted without the event loop";
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  };
  testing_support::BoxAnswerer boxes({"Sí"});
  std::vector<bool> enabledAtBoxes;
  boxes.onBox = [&] { enabledAtBoxes.push_back(window.cmProceso().isEnabled()); };
  window.cmp().setText("c:\\kel\\datos\\kel01.mdb");
  QTest::mouseClick(&window.cmProceso(), Qt::LeftButton);

  EXPECT_TRUE(duringRepair);
  EXPECT_EQ(enabledAtBoxes, std::vector<bool>(2, false)) << "the confirmation and the report";
  EXPECT_TRUE(window.cmProceso().isEnabled());
  EXPECT_FALSE(window.lbEsperar().isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window.focusWidget(), &window.cmp()) << "the focus the window gives back";
  ASSERT_EQ(boxes.seen.size(), 2u);
  const SeenBox& confirm = boxes.seen[0];
  EXPECT_EQ(confirm.title, QString("Información"));
  EXPECT_EQ(confirm.icon, QMessageBox::Question);
  EXPECT_EQ(confirm.buttons, (QStringList{"Sí", "No"}));
  EXPECT_EQ(confirm.defaultButton, QString("Sí"));
  EXPECT_TRUE(confirm.text.endsWith("a reparar.\n\n¿Continuar con el proceso?"));
  const SeenBox& report = boxes.seen[1];
  EXPECT_EQ(report.title, QString("Error =  3343"));
  EXPECT_EQ(report.icon, QMessageBox::NoIcon);
  EXPECT_EQ(report.buttons, QStringList{"Aceptar"});
  EXPECT_EQ(report.text, QString("Formato de base de datos no reconocido."));

  window.cmp().setText("   ");
  QTest::mouseClick(&window.cmProceso(), Qt::LeftButton);
  ASSERT_EQ(boxes.seen.size(), 3u);
  EXPECT_EQ(boxes.seen[2].icon, QMessageBox::Information);
}

}  // namespace
}  // namespace app
