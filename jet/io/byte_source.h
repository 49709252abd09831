// Where pages come from: an open file, or bytes in memory (tests, the fuzzer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "jet/core/result.h"
#include "jet/io/file.h"

namespace jet {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual Result<std::uint64_t> size() const = 0;
  // Reads up to out.size() bytes at `offset`; fewer only at the end.
  virtual Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const = 0;
  // The name errors give for this source (a path).
  virtual std::string name() const = 0;
};

// Reads through a File that outlives it.
class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(const File& file) : file_(file) {}
  Result<std::uint64_t> size() const override { return file_.size(); }
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const override {
    return file_.readAt(offset, out);
  }
  std::string name() const override { return file_.path().string(); }

 private:
  const File& file_;
};

// Owns a copy of the bytes.
class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string bytes, std::string name = "memoria")
      : bytes_(std::move(bytes)), name_(std::move(name)) {}
  Result<std::uint64_t> size() const override { return bytes_.size(); }
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::byte> out) const override;
  std::string name() const override { return name_; }

 private:
  std::string bytes_;
  std::string name_;
};

}  // namespace jet
