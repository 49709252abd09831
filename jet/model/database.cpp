#include "jet/model/database.h"

#include <array>

#include "jet/model/catalog.h"
#include "jet/model/text.h"

namespace jet {

Result<std::unique_ptr<Database>> Database::open(const std::filesystem::path& path,
                                                 Access access, std::string_view password) {
  std::unique_ptr<Database> db(new Database());
  db->name_ = path.string();
  const bool reads = access == Access::kRead || access == Access::kInspect;
  JET_TRY(db->file_, File::open(path, reads ? File::Mode::kRead : File::Mode::kReadWrite));
  JET_TRY(db->lock_, OperationLock::acquire(db->file_, reads ? OperationLock::Kind::kShared
                                                             : OperationLock::Kind::kExclusive));
  JET_CHECK(checkNotInUse(db->file_));
  db->bytes_ = std::make_unique<FileBytes>(db->file_);
  JET_CHECK(finishOpen(*db, access, password));
  return db;
}

Result<std::unique_ptr<Database>> Database::openBytes(std::string bytes, std::string name,
                                                      std::string_view password) {
  std::unique_ptr<Database> db(new Database());
  db->name_ = name;
  db->bytes_ = std::make_unique<MemoryBytes>(std::move(bytes), std::move(name));
  JET_CHECK(finishOpen(*db, Access::kRead, password));
  return db;
}

std::unique_ptr<Database> Database::reader() const {
  std::unique_ptr<Database> other(new Database());
  other->name_ = name_;
  other->header_ = header_;
  other->pages_ = pages_.sibling();
  return other;
}

Status Database::finishOpen(Database& db, Access access, std::string_view password) {
  std::array<std::byte, kPageSize> first{};
  JET_TRY(std::size_t n, db.bytes_->readAt(0, first));
  auto header = decodeHeaderPage(ByteView(first.data(), n), db.name_);
  if (!header) {
    // A repair takes a file whose page 0 is damaged when its page 2 still
    // holds MSysObjects' definition: a database, with Access's header.
    if (access != Access::kRepair) return std::move(header).error();
    JET_TRY(db.pages_, PageSource::create(*db.bytes_));
    if (!holdsCatalogDefinition(db.pages_)) return std::move(header).error();
    header = decodeHeaderPage(ByteView(defaultHeaderPage()), db.name_);
    if (!header) return std::move(header).error();
    Finding f;
    f.page = 0;
    f.message = "la página 0 no es una cabecera de Access 97, aunque el resto del archivo es una "
                "base de datos";
    db.openFindings_.report(std::move(f));
  }
  db.header_ = *header;
  // A check or a repair needs no password (see kInspect, kRepair).
  const bool needsNone = password.empty() && (access == Access::kInspect || access == Access::kRepair);
  if (!db.header_.passwordIs(fromUtf8(password, db.header_.codePage)) && !needsNone &&
      (access != Access::kRepair || isPasswordShaped(db.header_.password))) {
    return Error(errc::kBadPassword, db.name_);
  }
  JET_TRY(db.pages_, PageSource::create(*db.bytes_));
  db.pages_.setDatabaseKey(db.header_.databaseKey);
  if (db.pages_.trailingBytes() != 0) {
    Finding f;
    f.page = db.pages_.pageCount();
    f.message = "el archivo termina con una página incompleta de " +
                std::to_string(db.pages_.trailingBytes()) + " bytes";
    f.bytesLost = static_cast<std::int64_t>(db.pages_.trailingBytes());
    db.openFindings_.report(std::move(f));
  }
  return okStatus();
}

}  // namespace jet
