// Small helpers that damage a copy of a database image in memory, so a test
// says exactly which bytes it changed and why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_support {

inline constexpr std::size_t kTestPageSize = 2048;

// Offset of byte `offset` of page `page`.
constexpr std::size_t at(std::uint32_t page, std::size_t offset) {
  return std::size_t{page} * kTestPageSize + offset;
}

void setByte(std::string& image, std::size_t offset, std::uint8_t value);
void setU16(std::string& image, std::size_t offset, std::uint16_t value);
void setU32(std::string& image, std::size_t offset, std::uint32_t value);
std::uint8_t getByte(const std::string& image, std::size_t offset);
std::uint16_t getU16(const std::string& image, std::size_t offset);
std::uint32_t getU32(const std::string& image, std::size_t offset);
// Keeps the first `size` bytes.
void truncateTo(std::string& image, std::size_t size);

// Sets (or clears) `page`'s bit in the usage map `pointer` names, of either
// form; throws when the map has no bit for the page.
void markInMap(std::string& image, std::uint32_t pointer, std::uint32_t page, bool set);

// `image` with `bytes` written at the start of the header's password field.
std::string withPasswordBytes(std::string image, const std::string& bytes);

// A corpus file's bytes (empty when the corpus is missing).
std::string corpusImage(const std::string& name);

}  // namespace testing_support
