// Numbered errors of the platform layer: the number a Windows program of this
// kind reports for the failure, and its Spanish description.
//
// File operations use the Windows run-time numbers (53 file not found, 58 file
// already exists, 70 permission denied, 75 path/file access error, 76 path not
// found, ...; see run_error_text.cpp); the engine adapter passes the engine's own
// numbers and texts through unchanged. RunStatus and RunResult<T> carry them back to
// the window's logic, which shows them; nothing here throws.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// The numbers the window's logic tells apart. The others only travel to the
// error report with their description.
namespace errnum {
inline constexpr int kOverflow = 6;             // "Desbordamiento"
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kIoError = 57;
inline constexpr int kFileExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kTooManyFiles = 67;
inline constexpr int kDeviceUnavailable = 68;   // a drive letter that does not exist
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
// The engine's numbers that get notices of their own.
inline constexpr int kDatabaseInUse = 3000;
inline constexpr int kDatabaseMissing = 3044;
inline constexpr int kNotADatabase = 3049;
}  // namespace errnum

// The Spanish description Windows gives a run-time error number; a generic
// text for numbers it has none for.
std::string runErrorText(int number);

struct RunError {
  int number = 0;
  std::string description;

  // An error with the description of its number (runErrorText).
  static RunError numbered(int number) { return RunError{number, runErrorText(number)}; }
};

class [[nodiscard]] RunStatus {
 public:
  RunStatus() = default;
  RunStatus(RunError error) : error_(std::move(error)) {}

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  // Requires: !ok().
  const RunError& error() const { assert(error_); return *error_; }

 private:
  std::optional<RunError> error_;
};

template <class T>
class [[nodiscard]] RunResult {
 public:
  RunResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  RunResult(RunError error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  // Requires: ok().
  const T& value() const& { assert(ok()); return std::get<0>(v_); }
  // Requires: ok(). Moves the value out, for values that cannot be copied.
  T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
  const T& operator*() const { return value(); }
  const T* operator->() const { return &value(); }
  // Requires: !ok().
  const RunError& error() const { assert(!ok()); return std::get<1>(v_); }
  RunStatus status() const { return ok() ? RunStatus() : RunStatus(error()); }

 private:
  std::variant<T, RunError> v_;
};

}  // namespace platform
