// The scratch file of an external sort, on Windows: a hidden temporary file
// that the system deletes when it is closed, whatever ends the program.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <random>
#include <string>

#include "jet/io/output_file.h"
#include "jet/io/path_text.h"
#include "jet/io/write_fully.h"

namespace jet {

namespace fs = std::filesystem;

Result<ScratchFile> ScratchFile::create(const fs::path& folder) {
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    const fs::path name =
        folder / ("~jetdb-sort." + std::to_string(random() % 1000000000u) + ".tmp");
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_FLAG_DELETE_ON_CLOSE,
                             nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR);
      if (fd >= 0) return ScratchFile(fd);
      ::CloseHandle(h);
      return Error(errc::kIoError, utf8Of(folder));
    }
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) {
      return Error::fromWindowsError(err, utf8Of(folder));
    }
  }
  return Error(errc::kIoError, utf8Of(folder));
}

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) ::_close(fd_);
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

Status ScratchFile::writeAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  return writeFully(fd_, offset, bytes, "temporal");
}

Status ScratchFile::readAt(std::uint64_t offset, std::span<std::byte> out) const {
  HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(h, out.data() + done, want, &got, &where)) {
      const DWORD err = ::GetLastError();
      if (err == ERROR_HANDLE_EOF) return Error(errc::kIoError, "temporal");
      return Error::fromWindowsError(err, "temporal");
    }
    if (got == 0) return Error(errc::kIoError, "temporal");
    done += got;
  }
  return okStatus();
}

}  // namespace jet
