#include "memory.h"

#include "testhost.h"

#include <cstdlib>
#include <cstring>

// In an AddressSanitizer build the bytes in front of each block are poisoned
// as well, so that a read or write before the start of an array is caught too.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESTHOST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(TESTHOST_ASAN)
#define TESTHOST_ASAN 1
#endif
#if defined(TESTHOST_ASAN)
#include <sanitizer/asan_interface.h>
#endif

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

bool& guardPages() {
  static bool on = true;
  return on;
}

// Without guard pages: 64-byte aligned heap memory, `mapped` left 0.
Guarded plainAlloc(std::size_t bytes) {
  const std::size_t size = (bytes + 63) / 64 * 64 + 64;
#if defined(_WIN32)
  void* p = _aligned_malloc(size, 64);
#else
  void* p = std::aligned_alloc(64, size);
#endif
  if (!p) return {};
  std::memset(p, 0, size);
  Guarded g;
  g.base = g.data = p;
  return g;
}

}  // namespace

Guarded guardedAlloc(std::size_t bytes) {
  if (!guardPages()) return plainAlloc(bytes);
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
#if defined(TESTHOST_ASAN)
  ASAN_POISON_MEMORY_REGION(base, dataBytes - bytes);
#endif
  return g;
}

void guardedFree(const Guarded& g) {
  if (!g.base) return;
  if (g.mapped == 0) {
#if defined(_WIN32)
    _aligned_free(g.base);
#else
    std::free(g.base);
#endif
    return;
  }
#if defined(TESTHOST_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(g.base, g.mapped);  // the next mapping here starts clean
#endif
#if defined(_WIN32)
  VirtualFree(g.base, 0, MEM_RELEASE);
#else
  munmap(g.base, g.mapped);
#endif
}

}  // namespace testhost::detail

namespace testhost::detail {
void setGuardPages(bool on) { guardPages() = on; }
}  // namespace testhost::detail
