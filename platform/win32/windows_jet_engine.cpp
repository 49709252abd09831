#include "platform/win32/windows_jet_engine.h"

#include "jet/engine.h"
#include "jet/io/path_text.h"

namespace platform {
namespace {

RunStatus fromJet(const jet::Status& s) {
  if (s) return {};
  return RunError{s.error().number(), s.error().description()};
}

}  // namespace

RunStatus WindowsJetEngine::repairDatabase(std::string_view name) {
  return fromJet(jet::repairDatabase(jet::pathFromUtf8(name)));
}

RunStatus WindowsJetEngine::compactDatabase(std::string_view source, std::string_view destination) {
  return fromJet(jet::compactDatabase(jet::pathFromUtf8(source), jet::pathFromUtf8(destination)));
}

}  // namespace platform
