// Numbered errors of the engine.
//
// Every failure that leaves the engine is a jet::Error: the number that the Jet
// engine gives the same failure, its Spanish description (from one table, see
// error.cpp) with the object it concerns filled in, and the place in our source
// where it was detected. No exception crosses the engine's interface; functions
// return Result<T> (result.h).
#pragma once

#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>

namespace jet {

// The numbers. They are Jet's own numbers for the same conditions.
namespace errc {
inline constexpr int kInUse = 3000;           // database in use by another process
inline constexpr int kIoError = 3043;         // disk or network error
inline constexpr int kNotFound = 3044;        // database file does not exist
inline constexpr int kNotDatabase = 3049;     // not an Access 97 database
inline constexpr int kNoPermission = 3051;    // cannot open: permission denied
inline constexpr int kDiskFull = 3026;        // no room left on the disk
inline constexpr int kBadPassword = 3031;     // database protected by a password
inline constexpr int kNoSuchTable = 3078;     // table or query not found
inline constexpr int kAlreadyExists = 3204;   // destination database already exists
inline constexpr int kCorrupt = 3343;         // damage that stops the operation
inline constexpr int kInvalidArgument = 3001; // invalid argument
inline constexpr int kTooLarge = 3035;        // beyond the limits of the format
inline constexpr int kDuplicateKey = 3022;    // a key repeated in a unique index
inline constexpr int kFieldTooSmall = 3163;   // a value longer than its column allows
inline constexpr int kNumericOverflow = 3349; // a number outside its column's range
inline constexpr int kCannotRepair = 3056;    // a repair that would have to make what it cannot
}  // namespace errc

// The Spanish description of an error number; "|" stands for the object
// concerned. Unknown numbers get a generic text.
std::string_view errorText(int number);

class Error {
 public:
  // Requires: number is one of errc (or another Jet number with a text).
  // The first "|" in the table's text is replaced with `subject`.
  Error(int number, std::string_view subject = {},
        std::source_location where = std::source_location::current());

  // Factories for the common cases; `path` is the file as the caller named it.
  static Error inUse(std::string_view path,
                     std::source_location where = std::source_location::current());
  static Error notFound(std::string_view path,
                        std::source_location where = std::source_location::current());
  static Error notADatabase(std::string_view path,
                            std::source_location where = std::source_location::current());
  static Error alreadyExists(std::string_view path,
                             std::source_location where = std::source_location::current());
  // Damage that stops an operation. `page` is the page where it was found
  // (-1 when none applies), `row` the row on it, `reason` a short Spanish
  // phrase that does not repeat the place: the description puts the place
  // first ("página 31, fila 0: ..."), and reports that name their own place
  // take the reason alone (reasonAt).
  static Error corrupt(std::int64_t page, std::string_view reason,
                       std::source_location where = std::source_location::current());
  static Error corrupt(std::int64_t page, std::int64_t row, std::string_view reason,
                       std::source_location where = std::source_location::current());
  // Turns an errno value from a file operation on `path` into the matching
  // Jet number; the one place where errno meets the engine's numbers.
  static Error fromErrno(int err, std::string_view path,
                         std::source_location where = std::source_location::current());
  // The same for a Windows error code (GetLastError) on a Windows build:
  // sharing and lock violations are 3000, the database being held by another
  // program. Defined only there (error_win32.cpp).
  static Error fromWindowsError(unsigned long code, std::string_view path,
                                std::source_location where = std::source_location::current());

  int number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::source_location& where() const { return where_; }
  // What a report that already names page `page` (and row `row`) says of this
  // error: the reason alone when the damage lies there or nowhere in
  // particular, with its own place when it lies elsewhere, and the whole
  // description when the error is not damage.
  std::string reasonAt(std::int64_t page, std::int64_t row = -1) const;
  // The operating system's code the error was made from (errno, or
  // GetLastError on Windows); 0 when no system call failed. The window's side
  // gives its own numbers from it.
  long systemCode() const { return systemCode_; }
  // This error, made from the system's code `code`.
  Error withSystemCode(long code) && {
    systemCode_ = code;
    return std::move(*this);
  }

  // "3049: No se puede abrir ..." for logs and the command-line tool.
  std::string toString() const;

 private:
  int number_;
  std::string description_;
  std::source_location where_;
  long systemCode_ = 0;
  // Where damage lies, and what it is without its place: corrupt() only.
  std::int64_t page_ = -1;
  std::int64_t row_ = -1;
  std::string reason_;
};

}  // namespace jet
