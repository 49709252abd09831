// Writing a whole buffer at an offset, on Windows: the descriptor holds a
// handle (_open_osfhandle), written with WriteFile at an OVERLAPPED offset.
#include <windows.h>
#include <io.h>

#include <algorithm>

#include "jet/core/error.h"
#include "jet/io/write_fully.h"

namespace jet {

Status writeFully(int fd, std::uint64_t offset, std::span<const std::byte> bytes,
                  const std::string& name) {
  HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(h, bytes.data() + done, want, &put, &where)) {
      return Error::fromWindowsError(::GetLastError(), name);
    }
    if (put == 0) return Error(errc::kIoError, name);
    done += put;
  }
  return okStatus();
}

}  // namespace jet
