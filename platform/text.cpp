#include "platform/text.h"

#include "platform/simple_upper.h"

namespace platform {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // invalid byte b decodes to kEscapeBase + b

// Length of the UTF-8 sequence starting at s[i], or 0 if it is not valid
// (overlong forms, surrogates and values above U+10FFFF are invalid).
std::size_t sequenceLength(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t n;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) { n = 2; cp = b0 & 0x1F; min = 0x80; }
  else if ((b0 & 0xF0) == 0xE0) { n = 3; cp = b0 & 0x0F; min = 0x800; }
  else if ((b0 & 0xF8) == 0xF0) { n = 4; cp = b0 & 0x07; min = 0x10000; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF) {
    out += static_cast<char>(cp - kEscapeBase);  // an escaped byte goes back as it was
  } else if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t upperChar(char32_t c) {
  // Windows leaves these alone: their simple upper case is a letter of
  // another script (Greek mu) or plain ASCII, which would not map back.
  if (c == U'\u00B5' || c == U'\u0131' || c == U'\u017F') return c;
  if (c >= kEscapeBase && c <= kEscapeBase + 0xFF) return c;
  return simpleUpperCase(c);
}

// Characters of 1252 at 0x80..0x9F; the undefined ones map to themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    std::size_t n = sequenceLength(text, i, cp);
    if (n == 0) {
      out += kEscapeBase + static_cast<unsigned char>(text[i]);
      ++i;
    } else {
      out += cp;
      i += n;
    }
  }
  return out;
}

std::string encodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) appendUtf8(out, c);
  return out;
}

std::string upperCase(std::string_view text) {
  std::u32string cps = decodeUtf8(text);
  for (char32_t& c : cps) c = upperChar(c);
  return encodeUtf8(cps);
}

std::string trimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string trimTrailingBlanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  std::u32string ua = decodeUtf8(a), ub = decodeUtf8(b);
  if (ua.size() != ub.size()) return false;
  for (std::size_t i = 0; i < ua.size(); ++i) {
    if (upperChar(ua[i]) != upperChar(ub[i])) return false;
  }
  return true;
}

std::size_t utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (char32_t c : decodeUtf8(text)) units += c >= 0x10000 ? 2 : 1;
  return units;
}

std::string utf16Prefix(std::string_view text, std::size_t units) {
  std::u32string cps = decodeUtf8(text);
  std::size_t used = 0, count = 0;
  while (count < cps.size()) {
    const std::size_t w = cps[count] >= 0x10000 ? 2 : 1;
    if (used + w > units) break;
    used += w;
    ++count;
  }
  return encodeUtf8(std::u32string_view(cps).substr(0, count));
}

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    std::size_t n = sequenceLength(bytes, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    appendUtf8(out, b >= 0x80 && b < 0xA0 ? char32_t{kCp1252High[b - 0x80]} : char32_t{b});
  }
  return out;
}

}  // namespace platform
