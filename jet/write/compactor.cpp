#include "jet/write/compactor.h"

namespace jet {

// Placeholder until the page writer lands: it refuses to act rather than
// pretend to succeed.
Status compact(CompactionSource&, const std::filesystem::path& destination,
               const CompactOptions&) {
  return Error(errc::kInvalidArgument, destination.string());
}

}  // namespace jet
