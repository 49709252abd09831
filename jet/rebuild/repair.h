// Repair of a database in place (the engine's RepairDatabase): rebuild a
// damaged database from what can be read. Not to be mistaken for repair/,
// the window's procedure that calls it and then compacts and swaps files.
//
// Outline:
//   1. Open the database for repair: exclusively, with our lock held to the
//      end (3000 when another process has it open; 3044, 3051, 3049 as for
//      any open).
//   2. Check it whole (jet/check), header settings included. A healthy
//      database ends here: nothing is written, the file is not even touched.
//   3. Salvage what can be read (salvage_reader.h) and read every row once
//      (salvage_source.h), so that every problem is known before writing.
//      An index whose keys the engine does not make (text in a national sort
//      order: carried_keys.h) keeps the keys Access stored; when it cannot
//      (the index is damaged, or it is the catalog's, which must take
//      MSysCompactError's row) the repair refuses (3056) and writes nothing.
//   4. Rebuild: compact the salvage, with a new MSysCompactError listing the
//      checker's findings and the salvage's problems, into a new file beside
//      the database ("<name>.reparando"), written whole and flushed by the
//      compactor.
//   5. Check the rebuilt file, before it takes that name. Anything but clean
//      is a failure of ours (3343): the rebuilt file is removed and the
//      database stays as it was.
//   6. Keep the damaged file beside the database under a name that says so,
//      "<base>.dañado<ext>" (then "<base>.dañado-2<ext>", ...; never a name
//      that exists): a second name of the same file, or a flushed copy where
//      the file system has no hard links; then flush the folder.
//   7. Give the rebuilt file the database's permissions, rename it over the
//      database's name in one step, and flush the folder.
// A database named through a symbolic link is the file the link names: it
// is repaired where it lies, and the link is left as it is.
// At every moment the database's name holds the original file (until the
// rename of step 7) or the complete rebuilt one (after it). A failure returns
// its numbered error after removing what it made (rebuilt file, copy, name).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/io/file_system.h"
#include "jet/salvage/problem.h"

namespace jet {

struct RepairOptions {
  // Every write, rename and flush goes through it; nullptr: the machine's.
  FileSystem* fileSystem = nullptr;
  // Steps 1 to 3 only: says what repair would do, writes nothing.
  bool dryRun = false;
  // Checker findings kept (the rest are counted).
  std::size_t maxFindings = 500;
  // The database's password (UTF-8), for one that has a password: a wrong
  // one fails with 3031; none, the repair goes on all the same (it shows
  // nothing of the contents). The rebuilt file keeps it.
  std::string password;
};

struct RepairReport {
  bool damaged = false;            // false: healthy, nothing done
  std::vector<Finding> findings;   // what the check found (up to the cap)
  std::size_t findingsTotal = 0;
  ProblemList problems;            // what the salvage dropped or changed
  std::vector<std::string> recoveredTables;  // found by scanning (UTF-8)
  std::vector<std::string> lostTables;       // definitions lost (UTF-8)
  // Tables added for the rows set aside (salvage_source.h), UTF-8.
  std::vector<std::string> setAsideTables;
  std::uint64_t rowsKept = 0;
  std::filesystem::path backup;    // the damaged file kept; empty unless written
  bool written = false;            // the rebuilt file took the database's place

  // True iff the rebuilt database lacks something the damaged one held: a
  // table, a row (or a page of rows) or a value, or holds a row elsewhere
  // than in its table (set aside); problems.lost() counts each, and
  // MSysCompactError lists them.
  bool lostData() const { return problems.anyLoss(); }
};

// The name the damaged file is kept under: "<base>.dañado<ext>" for n = 1,
// "<base>.dañado-<n><ext>" after.
std::filesystem::path damagedCopyName(const std::filesystem::path& database, int n);

Result<RepairReport> repair(const std::filesystem::path& database,
                            const RepairOptions& options = {});

}  // namespace jet
