// Result<T>: a value or a jet::Error, returned by every engine function that can
// fail. Result<void> carries only the error.
//
//   Result<Page> p = source.read(n);
//   if (!p) return p.error();
//
// JET_TRY(x, expr) declares `x` from the value of a Result or returns its error;
// JET_CHECK(expr) returns the error of a failed Result<void> (or any Result).
#pragma once

#include <cassert>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "jet/core/error.h"

namespace jet {

template <class T>
class [[nodiscard]] Result {
 public:
  Result(const T& value) : v_(std::in_place_index<0>, value) {}
  Result(T&& value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}
  template <class U>
    requires(std::is_constructible_v<T, U&&> && !std::is_same_v<std::remove_cvref_t<U>, T> &&
             !std::is_same_v<std::remove_cvref_t<U>, Error> &&
             !std::is_same_v<std::remove_cvref_t<U>, Result>)
  Result(U&& value) : v_(std::in_place_index<0>, std::forward<U>(value)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Requires: ok().
  T& value() & { assert(ok()); return std::get<0>(v_); }
  const T& value() const& { assert(ok()); return std::get<0>(v_); }
  T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // Requires: !ok().
  const Error& error() const& { assert(!ok()); return std::get<1>(v_); }
  Error&& error() && { assert(!ok()); return std::get<1>(std::move(v_)); }

  T valueOr(T fallback) const& { return ok() ? value() : std::move(fallback); }

 private:
  std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const& { assert(!ok()); return *error_; }
  Error&& error() && { assert(!ok()); return std::move(*error_); }

 private:
  std::optional<Error> error_;
};

using Status = Result<void>;

inline Status okStatus() { return {}; }

}  // namespace jet

#define JET_CONCAT_INNER(a, b) a##b
#define JET_CONCAT(a, b) JET_CONCAT_INNER(a, b)

#define JET_TRY_IMPL(tmp, decl, expr) \
  auto tmp = (expr);                  \
  if (!tmp.ok()) return std::move(tmp).error(); \
  decl = std::move(tmp).value()

// JET_TRY(auto page, source.read(n));
#define JET_TRY(decl, expr) JET_TRY_IMPL(JET_CONCAT(jet_try_, __LINE__), decl, expr)

// JET_CHECK(writer.flush());
#define JET_CHECK(expr)                                        \
  do {                                                         \
    auto jet_check_result = (expr);                            \
    if (!jet_check_result.ok()) return std::move(jet_check_result).error(); \
  } while (false)
