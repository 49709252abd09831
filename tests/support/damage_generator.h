// Damage of each kind that repair must survive, made reproducibly from a seed
// over a copy of a sound database image.
//
//   std::string image = readFile(path);
//   Damage d = applyDamage(image, DamageKind::kDataPage, 7);
//   if (!d.applied) GTEST_SKIP() << d.what;  // the file has no such structure
//
// The same (image, kind, seed) always gives the same bytes: the random choices
// come from a SplitMix64 stream, not from a library distribution whose results
// differ between standard libraries.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace testing_support {

enum class DamageKind {
  kIndexPage,        // an index page garbled, zeroed or mislinked
  kUsageMap,         // a table's usage map row garbled, emptied or mistyped
  kDataPage,         // bytes of a table's data page changed
  kLongValue,        // a long-value page damaged or a value chain broken
  kTruncated,        // the file cut short
  kCatalogRow,       // the catalog row of a user table damaged or lost
  kTableDefinition,  // a page of a user table's definition damaged
  kTornPage,         // a data page half written: one part from an older version
  kHeaderMask,       // the masked block of the header page damaged
  kTornAcrossPages,  // a data page half written: its later sectors another page's of its table
};

inline constexpr DamageKind kAllDamageKinds[] = {
    DamageKind::kIndexPage,   DamageKind::kUsageMap,        DamageKind::kDataPage,
    DamageKind::kLongValue,   DamageKind::kTruncated,       DamageKind::kCatalogRow,
    DamageKind::kTableDefinition, DamageKind::kTornPage,    DamageKind::kHeaderMask,
    DamageKind::kTornAcrossPages,
};

// A short English name ("data-page", "torn-page", ...), for reports and test names.
std::string_view damageKindName(DamageKind kind);
// For GoogleTest's messages and test names.
inline void PrintTo(DamageKind kind, std::ostream* os) { *os << damageKindName(kind); }

struct Damage {
  bool applied = false;
  std::string what;  // what was done, where
};

// Damages `image`, a sound database, once. Returns applied = false (and the
// image unchanged) when the database has nothing of that kind to damage.
Damage applyDamage(std::string& image, DamageKind kind, std::uint64_t seed);

}  // namespace testing_support
