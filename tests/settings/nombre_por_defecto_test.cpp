// The default database name built from the settings value.
#include "settings/nombre_por_defecto.h"

#include <gtest/gtest.h>


namespace settings {
namespace {

struct NameCase {
  const char* folder;
  const char* text;
  int selectionStart;  // the second x, 0-based
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.folder; }

class DefaultNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DefaultNameTest, UpperCaseFolderPlaceholderAndSecondXSelected) {
  const NameCase& c = GetParam();
  const std::optional<std::string> text = nombrePorDefecto(c.folder);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, c.text);
  const std::optional<Seleccion> s = seleccionMarcador(*text);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->inicio, c.selectionStart);
  EXPECT_EQ(s->longitud, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DefaultNameTest,
    ::testing::Values(NameCase{"c:\\datos", "C:\\DATOS\\KELxx.MDB", 13},
                      NameCase{"c:\\datos\\", "C:\\DATOS\\KELxx.MDB", 13},
                      NameCase{"d:", "D:\\KELxx.MDB", 7},
                      // A lower-case "xx" in the folder is upper-cased first.
                      NameCase{"c:\\xx\\datos", "C:\\XX\\DATOS\\KELxx.MDB", 16},
                      NameCase{"c:\\año", "C:\\AÑO\\KELxx.MDB", 11},
                      // Positions count UTF-16 units, as the text box does.
                      NameCase{"c:\\\U0001D11E", "C:\\\U0001D11E\\KELxx.MDB", 10},
                      // A Linux folder already ends with a separator.
                      NameCase{"/home/ana/kel/", "/HOME/ANA/KEL/KELxx.MDB", 18}));

// (An empty folder, and the value's trailing blanks, are proved through
// the window's load, in f_trasvel_test.)
TEST(DefaultNameTest, TextWithoutPlaceholderGetsNoSelection) {
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KEL01.MDB"));
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KELXX.MDB"));  // letter case counts
}

}  // namespace
}  // namespace settings
