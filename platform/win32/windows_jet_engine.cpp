#include "platform/win32/windows_jet_engine.h"

#include "jet/engine.h"
#include "jet/io/path_text.h"

namespace platform {
namespace {

Status fromJet(const jet::Status& s) {
  if (s) return {};
  return Error{s.error().number(), s.error().description()};
}

}  // namespace

Status WindowsJetEngine::repairDatabase(std::string_view name) {
  return fromJet(jet::repairDatabase(jet::pathFromUtf8(name)));
}

Status WindowsJetEngine::compactDatabase(std::string_view source, std::string_view destination) {
  return fromJet(jet::compactDatabase(jet::pathFromUtf8(source), jet::pathFromUtf8(destination)));
}

}  // namespace platform
