// The default database name built from the settings value.
#include "settings/nombre_por_defecto.h"

#include <gtest/gtest.h>


namespace settings {
namespace {

// The folder upper-cased, then the placeholder; the second x selected, its
// place counted in UTF-16 units, as the text box counts.
TEST(DefaultNameTest, UpperCaseFolderPlaceholderAndSecondXSelected) {
  struct Case { const char* folder; const char* text; int selectionStart; };
  for (const Case& c : {Case{"c:\\datos", "C:\\DATOS\\KELxx.MDB", 13},
                        Case{"c:\\datos\\", "C:\\DATOS\\KELxx.MDB", 13},
                        Case{"d:", "D:\\KELxx.MDB", 7},
                        Case{"c:\\xx\\datos", "C:\\XX\\DATOS\\KELxx.MDB", 16},
                        Case{"c:\\año", "C:\\AÑO\\KELxx.MDB", 11},
                        Case{"c:\\\U0001D11E", "C:\\\U0001D11E\\KELxx.MDB", 10},
                        // A Linux folder already ends with a separator.
                        Case{"/home/ana/kel/", "/HOME/ANA/KEL/KELxx.MDB", 18}}) {
    SCOPED_TRACE(c.folder);
    const std::optional<std::string> text = nombrePorDefecto(c.folder);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, c.text);
    const std::optional<Seleccion> s = seleccionMarcador(*text);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->inicio, c.selectionStart);
    EXPECT_EQ(s->longitud, 1);
  }
}

// (An empty folder, and the value's trailing blanks, are proved through
// the window's load: f_trasvel_test, trasvel_dialog_test.)
TEST(DefaultNameTest, TextWithoutPlaceholderGetsNoSelection) {
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KEL01.MDB"));
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KELXX.MDB"));  // letter case counts
}

}  // namespace
}  // namespace settings
