// Qt for the window tests: one application object for the whole test
// program (offscreen unless told otherwise), and a helper that answers the
// modal message boxes the window opens, writing down what each one showed.
#pragma once

#include <gtest/gtest.h>

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include <functional>
#include <ostream>
#include <memory>

// Test failures print Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testing_support {

// The application object lives from before the first test to after the last
// one, inside the test run: Qt must not outlive main's return.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app() = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app().reset(); }
  static std::unique_ptr<QApplication>& app() {
    static std::unique_ptr<QApplication> instance;
    return instance;
  }

 private:
  int argc_ = 1;
  char name_[10] = "app_tests";
  char* argv_[2] = {name_, nullptr};
};

// gtest owns the environment once it is added.
inline ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QStringList buttons;
  QString defaultButton;
};

// While it lives, every modal message box is written down and answered by
// pressing the button labelled with the next of `answers` (the first button
// once they run out), or Esc for "Esc". `onBox` runs before each answer.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QStringList answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(5);
  }
  std::vector<SeenBox> seen;
  std::function<void()> onBox;

 private:
  void poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    SeenBox s{box->windowTitle(), box->text(), box->icon(), {}, {}};
    QAbstractButton* press = nullptr;
    const QString want = answers_.isEmpty() ? QString() : answers_.takeFirst();
    for (QAbstractButton* b : box->buttons()) {
      s.buttons << b->text();
      if (!press && (want.isEmpty() || b->text() == want)) press = b;
    }
    if (box->defaultButton()) s.defaultButton = box->defaultButton()->text();
    seen.push_back(s);
    if (onBox) onBox();
    if (want == "Esc") QTest::keyClick(box, Qt::Key_Escape);
    else if (press) press->click();
  }

  QStringList answers_;
  QTimer timer_;
};

}  // namespace testing_support
