#include "jet/model/properties.h"

#include "jet/format/properties.h"
#include "jet/model/value_decode.h"

namespace jet {

Result<std::vector<PropertySet>> readProperties(const CatalogEntry& entry) {
  JET_TRY(std::vector<PropertyBlock> blocks, decodeProperties(ByteView(entry.properties)));
  std::vector<PropertySet> sets;
  for (PropertyBlock& b : blocks) {
    PropertySet set;
    set.target = std::move(b.target);
    for (RawProperty& p : b.properties) {
      set.properties.push_back(
          {std::move(p.name), decodeValueBytes(p.type, ByteView(p.value)).value_or(Value{})});
    }
    sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace jet
