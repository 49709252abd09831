#include "jet/write/new_database.h"

#include <chrono>
#include <ctime>

#include "jet/core/ascii.h"
#include "jet/format/header_page.h"
#include "jet/write/compactor.h"
#include "jet/write/new_database_catalog.h"

namespace jet {
namespace {

// A user table's permissions follow the ones Access gives MSysModules2, a
// table its own user interface creates.
constexpr std::int32_t kUserTableTemplate = 22;

class MemoryStream final : public RowStream {
 public:
  explicit MemoryStream(std::vector<std::vector<Value>> rows) : rows_(std::move(rows)) {}
  Result<bool> next() override { return ++next_ <= rows_.size(); }
  const std::vector<Value>& values() const override { return rows_[next_ - 1]; }

 private:
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

std::vector<std::byte> fromHex(const char* hex) {
  return std::get<Binary>(new_database::binary(hex)).bytes;
}

class NewDatabaseSource final : public CompactionSource {
 public:
  explicit NewDatabaseSource(DateTime created) : created_(created) {
    settings_.header.version = header_page::kVersionJet3;
    settings_.header.sortOrder = header_page::kGeneralSortOrder;
    settings_.header.codePage = header_page::kWesternCodePage;
    settings_.headerPage = defaultHeaderPage();
    for (const new_database::SystemTable& t : new_database::systemTables()) {
      const std::vector<std::byte> bytes = fromHex(t.definition);
      // Generated from a sound file: a definition that does not decode is a
      // build error caught by the tests.
      auto def = decodeTableDefinition(ByteView(bytes), static_cast<std::uint32_t>(t.id));
      tables_.push_back(SourceTable{t.name, t.id, def ? std::move(*def) : TableDefinition{}});
    }
  }

  const SourceSettings& settings() const override { return settings_; }
  const std::vector<SourceTable>& tables() const override { return tables_; }
  Result<std::unique_ptr<RowStream>> rows(std::size_t table) override {
    if (table >= tables_.size()) return Error(errc::kInvalidArgument);
    std::vector<std::vector<Value>> rows;
    if (equalsIgnoringAsciiCase(tables_[table].name, "MSysObjects")) {
      rows = new_database::catalogRows(created_);
    } else if (equalsIgnoringAsciiCase(tables_[table].name, "MSysACEs")) {
      rows = new_database::aceRows();
    }
    return std::unique_ptr<RowStream>(std::make_unique<MemoryStream>(std::move(rows)));
  }

 private:
  DateTime created_;
  SourceSettings settings_;
  std::vector<SourceTable> tables_;
};

}  // namespace

std::unique_ptr<CompactionSource> newDatabaseSource(DateTime created) {
  return std::make_unique<NewDatabaseSource>(created);
}

std::vector<std::vector<Value>> userTableAces(std::int32_t id) {
  std::vector<std::vector<Value>> out;
  for (std::vector<Value> row : new_database::aceRows()) {
    if (row.empty() || row[0] != Value{kUserTableTemplate}) continue;
    row[0] = id;
    out.push_back(std::move(row));
  }
  return out;
}

Status createDatabase(const std::filesystem::path& path, DateTime created) {
  std::unique_ptr<CompactionSource> source = newDatabaseSource(created);
  return compact(*source, path);
}

DateTime currentDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  // The days from 1899-12-30 to 1970-01-01, then the local date and time.
  const auto days = std::chrono::sys_days{std::chrono::year{local.tm_year + 1900} /
                                          std::chrono::month(local.tm_mon + 1) /
                                          std::chrono::day(local.tm_mday)}
                        .time_since_epoch()
                        .count();
  const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  return DateTime{static_cast<double>(kUnixEpochDay + days) + seconds / 86400.0};
}

}  // namespace jet
