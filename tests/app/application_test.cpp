// What the program says about itself.
#include "app/application.h"

#include <gtest/gtest.h>

#include <QtCore/QLocale>
#include <QtGui/QIcon>
#include <QtGui/QImage>

#include <set>

#include "tests/app/qt_test_support.h"

namespace app {
namespace {

// Version 1.00, Spanish of Spain, and the program's icon on every window:
// 32 by 32 in 16 colours at most.
TEST(ApplicationTest, VersionLanguageAndIcon) {
  configureApplication(*testing_support::QtEnvironment::app());
  EXPECT_EQ(QApplication::applicationVersion(), QString("1.00"));
  EXPECT_EQ(QLocale().language(), QLocale::Spanish);
  EXPECT_EQ(QLocale().territory(), QLocale::Spain);
  const QImage image = QApplication::windowIcon().pixmap(32, 32).toImage();
  ASSERT_EQ(image.size(), QSize(32, 32));
  std::set<QRgb> colours;
  bool transparent = false;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 0) transparent = true;
      else colours.insert(p);
    }
  }
  EXPECT_LE(colours.size(), 16u);
  EXPECT_GE(colours.size(), 4u) << "a drawing, not a blank";
  EXPECT_TRUE(transparent);
}

}  // namespace
}  // namespace app
