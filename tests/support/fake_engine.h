// A database engine over a MemoryFileSystem, for tests of the repair
// procedure. A "database" is a file whose bytes start with "MDB"; repairing
// appends " reparada" to it, compacting writes "compactada:" and the source's
// bytes to the destination. Failures can be forced.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/db_engine.h"
#include "tests/support/memory_file_system.h"

namespace testing_support {

class FakeEngine : public platform::DbEngine {
 public:
  FakeEngine(platform::MemoryFileSystem& fs, std::vector<std::string>* journal = nullptr)
      : fs_(fs), journal_(journal) {}

  std::optional<platform::Error> repairError;   // returned by the next repairs
  std::optional<platform::Error> compactError;  // returned by the next compactions
  bool databaseInUse = false;                   // repair answers 3000
  bool leaveLockFile = false;                   // compaction leaves "\BORRAR1.LDB"
  std::function<void()> onRepair;               // called inside each repair
  int repairs = 0;

  platform::Status repairDatabase(std::string_view name) override {
    ++repairs;
    note("repair " + std::string(name));
    if (onRepair) onRepair();
    if (repairError) return *repairError;
    std::optional<std::string> bytes = fs_.contents(name);
    if (!bytes) return platform::Error{3044, "'" + std::string(name) + "' no es una ruta válida."};
    if (databaseInUse) return platform::Error{3000, "en uso"};
    if (!bytes->starts_with("MDB")) return platform::Error{3049, "no es una base de datos"};
    fs_.addFile(name, *bytes + " reparada");
    return {};
  }

  platform::Status compactDatabase(std::string_view source, std::string_view destination) override {
    note("compact " + std::string(source) + " > " + std::string(destination));
    if (compactError) return *compactError;
    if (fs_.isFile(destination)) return platform::Error{3204, "La base de datos ya existe."};
    std::optional<std::string> bytes = fs_.contents(source);
    if (!bytes) return platform::Error{3044, "no existe"};
    fs_.addFile(destination, "compactada:" + *bytes);
    if (leaveLockFile) fs_.addFile("\\BORRAR1.LDB", "");
    return {};
  }

 private:
  void note(const std::string& line) {
    if (journal_) journal_->push_back(line);
  }
  platform::MemoryFileSystem& fs_;
  std::vector<std::string>* journal_;
};

}  // namespace testing_support
