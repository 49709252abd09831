#include "tests/support/damage.h"

#include <stdexcept>

#include "tests/support/corpus.h"

namespace testing_support {

namespace {
void need(const std::string& image, std::size_t offset, std::size_t n) {
  if (offset > image.size() || n > image.size() - offset) {
    throw std::out_of_range("damage helper outside the image");
  }
}
}  // namespace

void setByte(std::string& image, std::size_t offset, std::uint8_t value) {
  need(image, offset, 1);
  image[offset] = static_cast<char>(value);
}

void setU16(std::string& image, std::size_t offset, std::uint16_t value) {
  need(image, offset, 2);
  for (int i = 0; i < 2; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

void setU32(std::string& image, std::size_t offset, std::uint32_t value) {
  need(image, offset, 4);
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

std::uint8_t getByte(const std::string& image, std::size_t offset) {
  need(image, offset, 1);
  return static_cast<std::uint8_t>(image[offset]);
}

std::uint16_t getU16(const std::string& image, std::size_t offset) {
  return static_cast<std::uint16_t>(getByte(image, offset) | getByte(image, offset + 1) << 8);
}

std::uint32_t getU32(const std::string& image, std::size_t offset) {
  return std::uint32_t{getU16(image, offset)} | std::uint32_t{getU16(image, offset + 2)} << 16;
}

void truncateTo(std::string& image, std::size_t size) {
  if (size < image.size()) image.resize(size);
}

std::string corpusImage(const std::string& name) { return readFile(corpusFile(name)); }

}  // namespace testing_support
