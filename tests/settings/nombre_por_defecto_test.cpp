// The settings value and the default database name built from it.
#include "settings/nombre_por_defecto.h"

#include <gtest/gtest.h>

#include "settings/leer_fichero_ini.h"
#include "tests/support/fake_profile.h"

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

TEST(DefaultNameTest, EmptyFolderGivesNoName) { EXPECT_FALSE(nombrePorDefecto("")); }

TEST(DefaultNameTest, TextWithoutPlaceholderGetsNoSelection) {
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KEL01.MDB"));
  EXPECT_FALSE(seleccionMarcador("C:\\DATOS\\KELXX.MDB"));  // letter case counts
}

TEST(LeerFicheroIniTest, AsksForTheKeyWithRoomFor250AndDropsTrailingBlanks) {
  testing_support::FakeProfile profile;
  profile.value = "c:\\datos   ";
  EXPECT_EQ(LeerFicheroIni(profile, ".\\TORV.INI", "General", "PathDatosKEL"), "c:\\datos");
  EXPECT_EQ(profile.askedFile, ".\\TORV.INI");
  EXPECT_EQ(profile.askedSection, "General");
  EXPECT_EQ(profile.askedKey, "PathDatosKEL");
  EXPECT_EQ(profile.askedSize, 250u);
}

TEST(LeerFicheroIniTest, MissingValueAndBlanksOnlyAreEmpty) {
  testing_support::FakeProfile profile;
  EXPECT_EQ(LeerFicheroIni(profile, "x", "s", "k"), "");
  profile.value = "    ";
  EXPECT_EQ(LeerFicheroIni(profile, "x", "s", "k"), "");
}

}  // namespace
}  // namespace settings
