#include "memory.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace testhost::detail {

namespace {
std::size_t pageSize() {
#if defined(_WIN32)
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}
}  // namespace

Guarded guardedAlloc(std::size_t bytes) {
  const std::size_t page = pageSize();
  if (bytes > static_cast<std::size_t>(-1) - 2 * page) return {};
  const std::size_t dataBytes = (bytes + page - 1) / page * page;
  const std::size_t mapped = dataBytes + page;
  Guarded g;
#if defined(_WIN32)
  void* base = VirtualAlloc(nullptr, mapped, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!base) return {};
  DWORD old;
  if (!VirtualProtect(static_cast<char*>(base) + dataBytes, page, PAGE_NOACCESS, &old)) {
    VirtualFree(base, 0, MEM_RELEASE);
    return {};
  }
#else
  void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return {};
  if (mprotect(static_cast<char*>(base) + dataBytes, page, PROT_NONE) != 0) {
    munmap(base, mapped);
    return {};
  }
#endif
  g.base = base;
  g.mapped = mapped;
  g.data = static_cast<char*>(base) + dataBytes - bytes;
  return g;
}

void guardedFree(const Guarded& g) {
  if (!g.base) return;
#if defined(_WIN32)
  VirtualFree(g.base, 0, MEM_RELEASE);
#else
  munmap(g.base, g.mapped);
#endif
}

}  // namespace testhost::detail
