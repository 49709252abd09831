#include "jet/index/text_key.h"

#include <cstdint>

#include "jet/index/general_sort_codes.h"

namespace jet {
namespace {

constexpr std::uint8_t kAccentBoundary = 0x0;   // opens and closes the accent part
constexpr std::uint8_t kUnaccentedLetter = 0x2; // the place of an unaccented letter
constexpr std::byte kEndOfText{0x00};

// Nibbles packed high first, as the accent part stores them.
class NibbleWriter {
 public:
  void put(std::uint8_t nibble) {
    nibble &= 0x0F;
    if (high_) bytes_.push_back(std::byte(nibble << 4));
    else bytes_.back() |= std::byte(nibble);
    high_ = !high_;
  }
  const std::vector<std::byte>& bytes() const { return bytes_; }
  bool empty() const { return bytes_.empty(); }

 private:
  std::vector<std::byte> bytes_;
  bool high_ = true;
};

}  // namespace

void appendGeneralTextKey(std::string_view text, bool ascending, std::vector<std::byte>& out) {
  if (text.size() > kMaxIndexedChars) text = text.substr(0, kMaxIndexedChars);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

  const std::size_t start = out.size();
  // Room for the common case (one byte a character, no accents), so that the
  // key is not moved again and again as it grows.
  out.reserve(start + text.size() + 2);
  NibbleWriter accents;
  unsigned unaccented = 0;  // places of unaccented letters since the last accent
  for (char c : text) {
    const general_sort::SortCode& code = general_sort::kCodes[static_cast<unsigned char>(c)];
    for (std::size_t i = 0; i < code.inlineLength; ++i) out.push_back(std::byte(code.inlineBytes[i]));
    if (code.accent == 0) {
      unaccented += code.letters;
      continue;
    }
    if (accents.empty()) accents.put(kAccentBoundary);
    for (; unaccented > 0; --unaccented) accents.put(kUnaccentedLetter);
    accents.put(code.accent);
  }
  if (accents.empty()) {
    out.push_back(kEndOfText);
  } else {
    accents.put(kAccentBoundary);
    out.insert(out.end(), accents.bytes().begin(), accents.bytes().end());
  }
  if (!ascending) {
    for (std::size_t i = start; i < out.size(); ++i) out[i] = ~out[i];
  }
}

}  // namespace jet
