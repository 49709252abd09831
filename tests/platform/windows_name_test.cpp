// Windows names taken apart, and the wildcards of the existence test.
#include "platform/windows_name.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Parts = std::vector<std::string>;

TEST(WindowsNameTest, DrivesRootsAndRelativeNames) {
  WindowsName n = parseWindowsName("c:\\kel\\kel01.mdb");
  EXPECT_EQ(n.drive, 'C');
  EXPECT_TRUE(n.fromRoot);
  EXPECT_EQ(n.parts, (Parts{"kel", "kel01.mdb"}));

  n = parseWindowsName("C:kel01.mdb");
  EXPECT_EQ(n.drive, 'C');
  EXPECT_FALSE(n.fromRoot);

  n = parseWindowsName("\\BORRAR1.MDB");
  EXPECT_EQ(n.drive, 0);
  EXPECT_TRUE(n.fromRoot);
  EXPECT_EQ(n.parts, Parts{"BORRAR1.MDB"});

  n = parseWindowsName("/home/ana//kel/./x.mdb");
  EXPECT_EQ(n.drive, 'Z');
  EXPECT_TRUE(n.fromRoot);
  EXPECT_EQ(n.parts, (Parts{"home", "ana", "kel", "x.mdb"}));

  n = parseWindowsName("datos/x.mdb");
  EXPECT_EQ(n.drive, 0);
  EXPECT_FALSE(n.fromRoot);
  EXPECT_EQ(n.parts, (Parts{"datos", "x.mdb"}));

  EXPECT_TRUE(parseWindowsName("C:\\DATOS\\").endsWithSeparator);
  EXPECT_EQ(parseWindowsName("1:\\x").drive, 0) << "only letters name drives";
}

TEST(WindowsNameTest, DotDotNeverClimbsAboveTheRoot) {
  const Parts folder{"KEL", "DATOS"};
  EXPECT_EQ(parseWindowsName("..\\X.MDB").partsFromRoot(folder), (Parts{"KEL", "X.MDB"}));
  EXPECT_EQ(parseWindowsName("X.MDB").partsFromRoot(folder), (Parts{"KEL", "DATOS", "X.MDB"}));
  EXPECT_EQ(parseWindowsName("\\..\\..\\X.MDB").partsFromRoot(folder), Parts{"X.MDB"});
  EXPECT_EQ(joinWindowsFolder('C', {}), "C:\\");
  EXPECT_EQ(joinWindowsFolder('C', folder), "C:\\KEL\\DATOS");
}

TEST(WildcardTest, StarQuestionMarkAndLetterCase) {
  EXPECT_TRUE(matchesWildcard("KEL01.MDB", "kel01.mdb"));
  EXPECT_TRUE(matchesWildcard("KEL*.MDB", "Kel2024.mdb"));
  EXPECT_TRUE(matchesWildcard("KEL??.MDB", "kel01.mdb"));
  EXPECT_FALSE(matchesWildcard("KEL??.MDB", "kel1.mdb"));
  EXPECT_TRUE(matchesWildcard("*", "x"));
  EXPECT_TRUE(matchesWildcard("*A*B*", "xxAyyBzz"));
  EXPECT_FALSE(matchesWildcard("*A*B", "xxAyyBzz"));
  EXPECT_TRUE(matchesWildcard("AÑO*", "año.mdb"));
}

TEST(WildcardTest, DotStarAlsoMatchesNamesWithoutExtension) {
  EXPECT_TRUE(matchesWildcard("*.*", "LEEME"));
  EXPECT_TRUE(matchesWildcard("KEL01.*", "kel01"));
  EXPECT_TRUE(matchesWildcard("KEL01.*", "kel01.mdb"));
  EXPECT_FALSE(matchesWildcard("KEL01.*", "kel01x"));
}

}  // namespace
}  // namespace platform
