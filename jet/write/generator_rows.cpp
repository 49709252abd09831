#include "jet/write/generator_rows.h"

#include <array>
#include <cstring>

namespace jet::generator {
namespace {

// Syllables of Spanish-looking words, in Windows-1252 (accents and ñ).
constexpr std::array<const char*, 24> kSyllables{
    "ca", "sa", "ma", "\xF1u", "b\xE9", "to", "r\xED", "lo", "g\xFC", "ve", "zo", "cha",
    "qui", "l\xF3", "pe", "\xE1n", "de", "ju", "n\xFA", "es", "mi", "ro", "ga", "ll\xE1"};
constexpr std::array<const char*, 10> kCities{
    "M\xE1laga", "C\xE1" "diz", "A Coru\xF1" "a", "Le\xF3n", "\xC1vila",
    "Sevilla", "Madrid", "Bilbao", "Castell\xF3n", "Ja\xE9n"};

// Bytes of row overhead the size estimate adds to each row's values.
constexpr double kRowOverhead = 40;

}  // namespace

GeneratedRows::GeneratedRows(TableKind kind, std::uint64_t seed, double budget,
                             GeneratorState& state)
    : kind_(kind), random_(seed), budget_(budget), state_(&state) {
  // A few pages of words to cut Memo values from: making each one word by
  // word would cost more than writing it.
  Random words(seed ^ 0x5EED);
  while (pool_.size() < 64 * 1024) {
    pool_ += kSyllables[words.below(kSyllables.size())];
    if (words.percent(30)) pool_ += words.percent(10) ? ". " : " ";
  }
}

void GeneratedRows::count(const Value& v) {
  if (const auto* t = std::get_if<Text>(&v)) used_ += static_cast<double>(t->bytes.size());
  else if (const auto* b = std::get_if<Binary>(&v)) used_ += static_cast<double>(b->bytes.size());
  else if (!isNull(v)) used_ += 8;
}

Value GeneratedRows::text(std::size_t maxLength, unsigned nullPercent) {
  if (random_.percent(nullPercent)) return Value{};
  if (random_.percent(3)) return Text{""};
  std::string s;
  const std::size_t words = 1 + random_.below(4);
  for (std::size_t w = 0; w < words; ++w) {
    if (w > 0) s += ' ';
    const std::size_t syllables = 1 + random_.below(4);
    for (std::size_t k = 0; k < syllables; ++k) s += kSyllables[random_.below(kSyllables.size())];
    if (w == 0 && random_.percent(50)) s[0] = static_cast<char>(s[0] & ~0x20);  // a capital
  }
  if (s.size() > maxLength) s.resize(maxLength);
  return Text{std::move(s)};
}

Value GeneratedRows::longValue(bool memo, unsigned nullPercent, unsigned inlinePercent,
                               unsigned chainedPercent, std::size_t longest) {
  if (random_.percent(nullPercent)) return Value{};
  std::size_t length;
  const unsigned form = static_cast<unsigned>(random_.below(100));
  if (form < inlinePercent) length = random_.below(33);                    // inline
  else if (form < 100 - chainedPercent) length = random_.between(33, 2032);  // one row
  else length = random_.between(2033, static_cast<std::int64_t>(longest));  // chained
  if (memo) {
    std::string s;
    s.reserve(length);
    while (s.size() < length) {
      const std::size_t from = random_.below(pool_.size());
      s.append(pool_, from, std::min(length - s.size(), pool_.size() - from));
    }
    return Text{std::move(s)};
  }
  Binary b;
  b.bytes.resize(length);
  for (std::size_t i = 0; i < length; i += 8) {
    const std::uint64_t r = random_.next();
    std::memcpy(b.bytes.data() + i, &r, std::min<std::size_t>(8, length - i));
  }
  return b;
}

DateTime GeneratedRows::date() {
  // 1990-01-01 to 2030-12-31, to the second.
  const double day = static_cast<double>(random_.between(32874, 47848));
  return DateTime{day + static_cast<double>(random_.below(86400)) / 86400.0};
}

void GeneratedRows::clientes() {
  Guid guid;
  for (std::size_t i = 0; i < 16; i += 8) {
    const std::uint64_t r = random_.next();
    std::memcpy(guid.bytes.data() + i, &r, 8);
  }
  Binary code;
  code.bytes.resize(random_.below(17));
  for (std::byte& b : code.bytes) b = std::byte(random_.below(256));
  values_ = {
      std::int32_t(row_),
      random_.percent(60),
      random_.percent(5) ? Value{} : Value{std::uint8_t(random_.below(256))},
      std::int16_t(random_.between(-32768, 32767)),
      random_.percent(10) ? Value{} : Value{std::int32_t(random_.between(-1000000, 1000000))},
      Currency{random_.between(-100000000000, 100000000000)},
      static_cast<float>(random_.unit() * 1000.0 - 500.0),
      (random_.unit() - 0.5) * 1e6 / (1 + static_cast<double>(random_.below(1000))),
      date(),
      text(50, 2),
      random_.percent(4) ? Value{} : Value{Text{kCities[random_.below(kCities.size())]}},
      random_.percent(5) ? Value{} : Value{std::move(code)},
      longValue(true, 20, 40, 15, 20000),
      longValue(false, 50, 20, 20, 40000),
      guid,
  };
}

void GeneratedRows::pedidos() {
  // Every (ClienteId, Linea) once, in an order far from the key's: a
  // permutation of the clients for each line number.
  const std::uint32_t clients = std::max<std::uint32_t>(state_->clientes, 1);
  std::uint32_t step = 7919;
  while (clients % step == 0) step += 2;
  const std::uint32_t i = row_ - 1;
  const auto client = static_cast<std::int32_t>((std::uint64_t{i} * step) % clients + 1);
  const auto line = static_cast<std::int16_t>(i / clients + 1);
  values_ = {
      client,
      line,
      date(),
      Currency{random_.between(0, 10000000000)},
      text(100, 5),
      random_.percent(50),
      longValue(true, 50, 30, 0, 0),
  };
}

void GeneratedRows::documentos() {
  values_ = {
      std::int32_t(row_),
      text(255, 1),
      longValue(true, 0, 10, 70, 60000),
      longValue(false, 10, 10, 70, 120000),
      std::int16_t(random_.between(1, 500)),
  };
}

Result<bool> GeneratedRows::next() {
  // Integer keys stay in range whatever the size.
  if (used_ >= budget_ || row_ >= 0x7FFF0000u) return false;
  ++row_;
  switch (kind_) {
    case TableKind::kClientes: clientes(); break;
    case TableKind::kPedidos: pedidos(); break;
    case TableKind::kDocumentos: documentos(); break;
  }
  used_ += kRowOverhead;
  for (const Value& v : values_) count(v);
  const unsigned f = static_cast<unsigned>(random_.below(100));
  fate_ = f < 4 ? RowFate::kDeleted : f < 7 ? RowFate::kMoved : RowFate::kLive;
  if (fate_ == RowFate::kDeleted) ++state_->report.deleted;
  else ++state_->report.rows;
  if (fate_ == RowFate::kMoved) ++state_->report.moved;
  if (kind_ == TableKind::kClientes) state_->clientes = row_;
  return true;
}

}  // namespace jet::generator
