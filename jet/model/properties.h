// An object's properties, decoded from its LvProp blob (format/properties.h)
// into names and values.
#pragma once

#include <string>
#include <vector>

#include "jet/core/result.h"
#include "jet/format/value.h"
#include "jet/model/catalog.h"

namespace jet {

struct Property {
  std::string name;   // bytes in the database code page
  Value value;        // NULL when the value's bytes do not fit its type
};

struct PropertySet {
  std::string target;  // column name; empty for the object itself
  std::vector<Property> properties;
};

// The properties of `entry` (none when it has no LvProp). Fails with 3343
// when the blob is damaged.
Result<std::vector<PropertySet>> readProperties(const CatalogEntry& entry);

}  // namespace jet
