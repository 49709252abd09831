// A database engine over TempDrives, for tests of the repair procedure:
// repairing a file appends " reparada" to it, compacting writes "compactada:"
// and the source's bytes to the destination. Failures can be forced.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/db_engine.h"
#include "tests/support/temp_drives.h"

namespace testing_support {

class FakeEngine : public platform::DbEngine {
 public:
  FakeEngine(TempDrives& fs, std::vector<std::string>* journal = nullptr)
      : fs_(fs), journal_(journal) {}

  std::optional<platform::RunError> repairError;  // returned by the next repairs
  bool leaveLockFile = false;                     // compaction leaves "\BORRAR1.LDB"
  std::function<void()> onRepair;                 // called inside each repair
  int repairs = 0;

  platform::RunStatus repairDatabase(std::string_view name) override {
    ++repairs;
    note("repair " + std::string(name));
    if (onRepair) onRepair();
    if (repairError) return *repairError;
    std::optional<std::string> bytes = fs_.contents(name);
    if (!bytes) return platform::RunError{3044, "'" + std::string(name) + "' no es una ruta válida."};
    fs_.addFile(name, *bytes + " reparada");
    return {};
  }

  platform::RunStatus compactDatabase(std::string_view source, std::string_view destination) override {
    note("compact " + std::string(source) + " > " + std::string(destination));
    if (fs_.isFile(destination)) return platform::RunError{3204, "La base de datos ya existe."};
    fs_.addFile(destination, "compactada:" + fs_.contents(source).value_or(""));
    if (leaveLockFile) fs_.addFile("\\BORRAR1.LDB", "");
    return {};
  }

 private:
  void note(const std::string& line) {
    if (journal_) journal_->push_back(line);
  }
  TempDrives& fs_;
  std::vector<std::string>* journal_;
};

}  // namespace testing_support
