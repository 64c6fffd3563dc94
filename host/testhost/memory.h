// Page-guarded memory: each block ends exactly at an inaccessible page. Under
// AddressSanitizer the bytes in front of the block are poisoned too.
#ifndef TOOLBOX_TESTHOST_MEMORY_H
#define TOOLBOX_TESTHOST_MEMORY_H

#include <cstddef>

namespace testhost::detail {

struct Guarded {
  void* data = nullptr;  // first byte handed out; bytes end at the guard page
  void* base = nullptr;  // start of the mapping
  std::size_t mapped = 0;
};

// Zeroed memory of `bytes` bytes followed by a guard page; null when the
// system refuses. A block of 0 bytes points at the guard page itself. With
// guard pages turned off, 64-byte aligned heap memory.
Guarded guardedAlloc(std::size_t bytes);
void guardedFree(const Guarded& g);
void setGuardPages(bool on);

}  // namespace testhost::detail

#endif
