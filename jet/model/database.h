// An open Jet 3 database: the file, our lock on it, its header and its pages.
//
//   auto db = Database::open("KEL01.MDB");           // shared, read-only
//   if (!db) return db.error();                       // 3044, 3049, 3000, ...
//   Result<Catalog> catalog = Catalog::read(**db);    // catalog.h
//   Result<Table> t = Table::open(**db, catalog->findTable("Clientes"));  // table.h
//
// Opening checks, in order: the file exists and may be opened (3044, 3051);
// no other process holds a lock on it or on its .ldb lock file, and no other
// operation of ours holds a conflicting lock (3000); page 0 is a Jet 3 header
// (3049); the password, when the database has one, is the one given (3031, as
// Jet answers a wrong or missing password). An encrypted database is decrypted page by page transparently.
// Our lock is held until the Database is destroyed.
//
// A Database is not thread-safe (reader() gives another thread one of its
// own); it is neither copied nor moved (hold it in the unique_ptr that open
// returns), so readers may keep references to it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "jet/core/finding.h"
#include "jet/core/result.h"
#include "jet/format/header_page.h"
#include "jet/io/byte_source.h"
#include "jet/io/file.h"
#include "jet/io/file_lock.h"
#include "jet/io/page_source.h"

namespace jet {

class Database {
 public:
  enum class Access {
    kRead,   // shared lock; the file is opened read-only
    // As kRead, but a database with a password opens without it (a wrong
    // one is refused): for the check, which shows nothing of the contents.
    kInspect,
    kWrite,  // exclusive lock; the file is opened for reading and writing
    // As kWrite, but a password field that does not look like a password
    // (damage) is not refused, nor a page 0 that is no header when page 2
    // still holds MSysObjects' definition (Access's header is taken, and the
    // damage is an open finding): for the repair, which judges the header
    // itself (header_salvage.h). Nor is a missing password: a repair
    // shows nothing of the contents and its file keeps the password, so it
    // needs none (a wrong one is refused).
    kRepair,
  };

  // `password`: UTF-8, as the user typed it; ignored when the database has
  // none.
  static Result<std::unique_ptr<Database>> open(const std::filesystem::path& path,
                                                Access access = Access::kRead,
                                                std::string_view password = {});
  // A database held in memory (tests, the fuzzer): no file, no lock.
  static Result<std::unique_ptr<Database>> openBytes(std::string bytes,
                                                     std::string name = "memoria",
                                                     std::string_view password = {});

  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const HeaderPage& header() const { return header_; }
  const PageSource& pages() const { return pages_; }
  // The path given to open(), or the name given to openBytes().
  const std::string& name() const { return name_; }
  // The file, for the writer; nullptr for a database in memory.
  const File* file() const { return file_.isOpen() ? &file_ : nullptr; }

  // Damage seen while opening (a trailing partial page), for the checker.
  const FindingList& openFindings() const { return openFindings_; }

  // The same database for another thread to read: its header and pages, read
  // through a page cache of its own (sibling() in page_source.h), with no file
  // or lock of its own. Requires: this Database outlives the reader, and nobody
  // writes the file meanwhile.
  std::unique_ptr<Database> reader() const;

 private:
  Database() = default;
  static Status finishOpen(Database& db, Access access, std::string_view password);

  std::string name_;
  File file_;
  OperationLock lock_;
  std::unique_ptr<ByteSource> bytes_;
  HeaderPage header_;
  PageSource pages_ = PageSource::empty();
  FindingList openFindings_;
};

}  // namespace jet
