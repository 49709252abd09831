// The engine's error values and bounds-checked byte access.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>

#include "jet/core/byte_view.h"
#include "jet/core/error.h"

namespace jet {
namespace {

TEST(ErrorTest, DescriptionNamesTheObjectAndKeepsTheNumber) {
  Error e = Error::notADatabase("C:\\DATOS\\KEL01.MDB");
  EXPECT_EQ(e.number(), 3049);
  EXPECT_NE(e.description().find("'C:\\DATOS\\KEL01.MDB'"), std::string::npos);
  EXPECT_EQ(e.description().find('|'), std::string::npos);
  EXPECT_EQ(e.toString().rfind("3049: No se puede abrir", 0), 0u);
}

// Damage names its place once: first in its own description, and not again
// in a report that already gives that place.
TEST(ErrorTest, CorruptNamesItsPlaceOnce) {
  const Error row = Error::corrupt(31, 2, "la fila sale de su página");
  EXPECT_EQ(row.number(), errc::kCorrupt);
  EXPECT_EQ(row.description(),
            "Formato de base de datos no reconocido: página 31, fila 2: la fila sale de su página.");
  struct Case { std::int64_t page, row; const char* said; };
  for (const Case& c : {Case{31, 2, "la fila sale de su página"},
                        Case{31, -1, "fila 2: la fila sale de su página"},
                        Case{30, 2, "página 31, fila 2: la fila sale de su página"},
                        Case{-1, -1, "página 31, fila 2: la fila sale de su página"}}) {
    EXPECT_EQ(row.reasonAt(c.page, c.row), c.said) << c.page << "/" << c.row;
  }
  const Error page = Error::corrupt(0, "cabecera ilegible");  // the header page is page 0
  EXPECT_EQ(page.description(), "Formato de base de datos no reconocido: página 0, cabecera ilegible.");
  EXPECT_EQ(page.reasonAt(0, 4), "cabecera ilegible");
  EXPECT_EQ(page.reasonAt(18), "página 0, cabecera ilegible");
  EXPECT_EQ(Error::corrupt(0, 5, "x").reasonAt(0), "fila 5: x");  // a pointer damaged to page 0
  EXPECT_EQ(Error::corrupt(-1, "x").reasonAt(5), "x");
  EXPECT_EQ(Error::corrupt(-1, "x").description().find("página"), std::string::npos);
  // An error that is not damage is said whole.
  const Error other = Error::notFound("A.MDB");
  EXPECT_EQ(other.reasonAt(3), other.description());
}

TEST(ErrorTest, ErrnoMapsOntoJetNumbers) {
  EXPECT_EQ(Error::fromErrno(ENOENT, "a").number(), errc::kNotFound);
  EXPECT_EQ(Error::fromErrno(EACCES, "a").number(), errc::kNoPermission);
  EXPECT_EQ(Error::fromErrno(EEXIST, "a").number(), errc::kAlreadyExists);
  EXPECT_EQ(Error::fromErrno(ENOSPC, "a").number(), errc::kDiskFull);
  EXPECT_EQ(Error::fromErrno(EIO, "a").number(), errc::kIoError);
}

TEST(ByteViewTest, ReadsStopAtTheEnd) {
  const std::array<std::byte, 6> raw{std::byte{0x01}, std::byte{0x02}, std::byte{0x03},
                                     std::byte{0x04}, std::byte{0x05}, std::byte{0x06}};
  ByteView v(raw);
  EXPECT_EQ(v.u16(0), 0x0201);
  EXPECT_EQ(v.u32(2), 0x06050403u);
  EXPECT_EQ(v.u24(3), 0x060504u);
  EXPECT_EQ(v.u32be(0), 0x01020304u);
  EXPECT_EQ(v.u16(4), 0x0605);
  EXPECT_FALSE(v.u16(5));      // one byte short
  EXPECT_FALSE(v.u32(3));
  EXPECT_FALSE(v.u8(6));
  EXPECT_FALSE(v.sub(2, 5));   // leaves the view
  EXPECT_TRUE(v.sub(2, 4));
  EXPECT_FALSE(v.sub(SIZE_MAX, 2));  // offset + length overflows
  EXPECT_FALSE(v.has(1, SIZE_MAX));
  EXPECT_EQ(v.from(6)->size(), 0u);
  EXPECT_FALSE(v.from(7));
}

TEST(ByteWriterTest, StoresOutsideTheBufferAreDroppedAndReported) {
  std::array<std::byte, 4> raw{};
  ByteWriter w(raw);
  w.u16(2, 0xBEEF);
  EXPECT_TRUE(w.ok());
  EXPECT_EQ(ByteView(raw).u16(2), 0xBEEF);
  w.u32(1, 0xFFFFFFFF);
  EXPECT_FALSE(w.ok());
  EXPECT_EQ(ByteView(raw).u16(2), 0xBEEF);  // nothing was written
}

}  // namespace
}  // namespace jet
