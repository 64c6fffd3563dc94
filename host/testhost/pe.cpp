// The test host's loader of 32-bit Windows plug-ins (PE32 DLLs, .mexw32) into
// an i386 Linux program, so that the shipped files run under qemu-i386, or on
// any kernel that runs i386 programs, with neither Windows nor Wine.
//
// It maps the image (at its preferred base when that is free, elsewhere with
// the base relocations applied), resolves the imports by name from the table
// at the end of this file (the KERNEL32.dll and msvcrt.dll functions that
// mingw-w64's runtime and libstdc++ import, with Windows' calling conventions
// and, where they differ, Windows' behaviour; libmx.dll and libmex.dll are the
// test host's own functions), gives the thread a Windows thread environment
// block through %fs (mingw's DLL start-up reads it), sets up the DLL's static
// TLS block, runs its TLS callbacks and its entry point (DllMain), and finds
// the exported mexFunction. An import the table lacks fails the load, naming
// the function.
//
// Not implemented: imports by ordinal, forwarded exports, delay-load imports,
// any other DLL, structured exception handling (the exception list is empty:
// the plug-ins unwind with DWARF tables and throw nothing across the host),
// threads (one thread environment block, for the thread that loads the first
// plug-in; critical sections do nothing; TLS slots for that thread only),
// code pages other than ASCII, msvcrt's printf extensions (%I64d and the like
// are passed to glibc as they are) and its locales (setlocale knows "C" only).
#include "pe.h"

#include <asm/ldt.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "testhost.h"

#define WINAPI __attribute__((stdcall))

namespace testhost::pe {
namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;

u16 rd16(const u8* p) {
  u16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
u32 rd32(const u8* p) {
  u32 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
  throw std::runtime_error("cannot load " + path + ": " + why);
}

// ---- the thread environment block -------------------------------------------

// The fields of Windows' TEB that a DLL's code may read, at their 32-bit
// offsets: the exception list (+0x00, end marker), the stack bounds (+0x04,
// +0x08), the block's own address (+0x18), the TLS array (+0x2C), the last
// error (+0x34).
struct alignas(4096) Teb {
  u8 bytes[4096];
  u32& at(u32 offset) { return *reinterpret_cast<u32*>(bytes + offset); }
};
Teb teb;
void* tlsArray[64];  // ThreadLocalStoragePointer: one static TLS block per DLL
u32 tlsCount = 0;
void* tlsSlots[64];  // TlsGetValue's slots (nothing imports TlsAlloc)

void setLastError(u32 e) { teb.at(0x34) = e; }

// Points %fs at the block, through a new TLS entry of the global descriptor
// table (glibc keeps %gs for its own).
void installTeb(const std::string& path) {
  static bool done = false;
  if (done) return;
  pthread_attr_t attr;
  void* stack = nullptr;
  std::size_t stackSize = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstack(&attr, &stack, &stackSize);
    pthread_attr_destroy(&attr);
  }
  teb.at(0x00) = 0xFFFFFFFFu;
  teb.at(0x04) = static_cast<u32>(reinterpret_cast<std::uintptr_t>(stack) + stackSize);
  teb.at(0x08) = static_cast<u32>(reinterpret_cast<std::uintptr_t>(stack));
  teb.at(0x18) = static_cast<u32>(reinterpret_cast<std::uintptr_t>(&teb));
  teb.at(0x2C) = static_cast<u32>(reinterpret_cast<std::uintptr_t>(tlsArray));
  user_desc d{};
  d.entry_number = static_cast<unsigned>(-1);
  d.base_addr = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&teb));
  d.limit = sizeof teb - 1;
  d.seg_32bit = 1;
  d.useable = 1;
  if (syscall(SYS_set_thread_area, &d) != 0)
    fail(path, std::string("set_thread_area for the thread environment block: ") + std::strerror(errno));
  const u16 selector = static_cast<u16>(d.entry_number << 3 | 3);
  __asm__ __volatile__("movw %0, %%fs" : : "r"(selector));
  done = true;
}

// ---- the loaded images -------------------------------------------------------

struct Region {
  u32 start, end;  // page-aligned addresses
  u32 winProtect;  // PAGE_* constant
};

struct Image {
  std::string path;
  u8* base = nullptr;
  u32 size = 0;
  u32 entryRva = 0;
  std::vector<u32> tlsCallbacks;
  std::vector<Region> regions;
};
std::vector<Image*> images;

constexpr u32 kPageNoAccess = 0x01, kPageReadOnly = 0x02, kPageReadWrite = 0x04,
              kPageExecute = 0x10, kPageExecuteRead = 0x20, kPageExecuteReadWrite = 0x40;

int unixProtect(u32 p) {
  switch (p & 0xFF) {
    case kPageReadOnly: return PROT_READ;
    case kPageReadWrite: case 0x08: return PROT_READ | PROT_WRITE;
    case kPageExecute: return PROT_EXEC;
    case kPageExecuteRead: return PROT_READ | PROT_EXEC;
    case kPageExecuteReadWrite: case 0x80: return PROT_READ | PROT_WRITE | PROT_EXEC;
    default: return PROT_NONE;
  }
}

u32 windowsProtect(u32 characteristics) {
  const bool x = characteristics & 0x20000000u, r = characteristics & 0x40000000u,
             w = characteristics & 0x80000000u;
  if (x) return w ? kPageExecuteReadWrite : r ? kPageExecuteRead : kPageExecute;
  return w ? kPageReadWrite : r ? kPageReadOnly : kPageNoAccess;
}

Region* regionOf(u32 address, Image** owner = nullptr) {
  for (Image* im : images)
    for (Region& r : im->regions)
      if (address >= r.start && address < r.end) {
        if (owner) *owner = im;
        return &r;
      }
  return nullptr;
}

using DllMain = int(WINAPI*)(void*, u32, void*);

void notify(const Image& im, u32 reason, bool entryFirst) {
  auto entry = [&] {
    if (!im.entryRva) return 1;
    return reinterpret_cast<DllMain>(im.base + im.entryRva)(im.base, reason, nullptr);
  };
  int ok = 1;
  if (entryFirst) ok = entry();
  for (u32 cb : im.tlsCallbacks)
    reinterpret_cast<DllMain>(static_cast<std::uintptr_t>(cb))(im.base, reason, nullptr);
  if (!entryFirst) ok = entry();
  if (!ok && reason == 1) fail(im.path, "its entry point refused DLL_PROCESS_ATTACH");  // detach: ignored
}

const void* findImport(const char* dll, const char* name);

void* exportOf(const Image& im, const char* name) {
  const u8* h = im.base + rd32(im.base + 0x3C);
  const u8* opt = h + 24;
  if (rd32(opt + 92) < 1 || !rd32(opt + 96)) return nullptr;
  const u32 dirRva = rd32(opt + 96), dirSize = rd32(opt + 100);
  const u8* dir = im.base + dirRva;
  const u32 names = rd32(dir + 24);
  const u8* functions = im.base + rd32(dir + 28);
  const u8* nameRvas = im.base + rd32(dir + 32);
  const u8* ordinals = im.base + rd32(dir + 36);
  for (u32 i = 0; i < names; ++i) {
    if (std::strcmp(reinterpret_cast<const char*>(im.base + rd32(nameRvas + 4 * i)), name) != 0)
      continue;
    const u32 rva = rd32(functions + 4 * rd16(ordinals + 2 * i));
    if (rva >= dirRva && rva < dirRva + dirSize) return nullptr;  // forwarded: not implemented
    return im.base + rva;
  }
  return nullptr;
}

// The host runs the x87 unit as MATLAB on Windows does: 53-bit precision,
// rounding to nearest, every exception masked (control word 0x027F), from
// before the program's own start-up on.
__attribute__((constructor)) void startLikeMatlab() {
  const u16 cw = 0x027F;
  __asm__ __volatile__("fldcw %0" : : "m"(cw));
}

}  // namespace

void* load(const std::string& path, Entry* entryOut) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path, "no such file");
  const std::vector<u8> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto need = [&](std::size_t offset, std::size_t bytes) {
    if (offset > file.size() || bytes > file.size() - offset) fail(path, "truncated file");
  };
  need(0, 64);
  if (file[0] != 'M' || file[1] != 'Z') fail(path, "not a PE file");
  const u32 pe = rd32(&file[0x3C]);
  need(pe, 24 + 96);
  const u8* coff = &file[pe];
  if (std::memcmp(coff, "PE\0\0", 4) != 0) fail(path, "not a PE file");
  if (rd16(coff + 4) != 0x14C) fail(path, "not an i386 image");
  if (!(rd16(coff + 22) & 0x2000)) fail(path, "not a DLL");
  const u16 sectionCount = rd16(coff + 6);
  const u16 optSize = rd16(coff + 20);
  const u8* opt = coff + 24;
  if (rd16(opt) != 0x10B) fail(path, "not a PE32 image");
  const u32 imageBase = rd32(opt + 28), sectionAlign = rd32(opt + 32);
  const u32 imageSize = rd32(opt + 56), headerSize = rd32(opt + 60);
  const u32 dirCount = rd32(opt + 92);
  auto dir = [&](u32 k, u32* size) -> u32 {
    if (k >= dirCount) return *size = 0;
    *size = rd32(opt + 96 + 8 * k + 4);
    return rd32(opt + 96 + 8 * k);
  };
  need(pe + 24 + optSize, 40u * sectionCount);
  if (headerSize > imageSize || headerSize > file.size()) fail(path, "bad header size");

  installTeb(path);

  // Map at the preferred base when it is free.
  void* want = reinterpret_cast<void*>(static_cast<std::uintptr_t>(imageBase));
  void* mem = mmap(want, imageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mem == MAP_FAILED) fail(path, "cannot map the image");
  auto* image = new Image;
  image->path = path;
  image->base = static_cast<u8*>(mem);
  image->size = imageSize;
  image->entryRva = rd32(opt + 16);
  u8* base = image->base;
  struct Unmap {
    Image*& im;
    ~Unmap() {
      if (im) {
        munmap(im->base, im->size);
        delete im;
      }
    }
  } guard{image};

  std::memcpy(base, file.data(), headerSize);
  const u8* sections = opt + optSize;
  for (u16 s = 0; s < sectionCount; ++s) {
    const u8* sh = sections + 40 * s;
    const u32 vsize = rd32(sh + 8), va = rd32(sh + 12), rawSize = rd32(sh + 16), raw = rd32(sh + 20);
    const u32 span = vsize ? vsize : rawSize;
    if (va > imageSize || span > imageSize - va) fail(path, "a section lies outside the image");
    const u32 copy = rawSize < span ? rawSize : span;
    if (copy) {
      need(raw, copy);
      std::memcpy(base + va, &file[raw], copy);
    }
  }

  // Base relocations: only IMAGE_REL_BASED_HIGHLOW (and padding) occur in PE32.
  const u32 delta = static_cast<u32>(reinterpret_cast<std::uintptr_t>(base)) - imageBase;
  u32 relocSize;
  const u32 relocRva = dir(5, &relocSize);
  if (delta) {
    if (!relocSize) fail(path, "its preferred base is taken and it has no relocations");
    for (u32 at = 0; at + 8 <= relocSize;) {
      const u8* block = base + relocRva + at;
      const u32 page = rd32(block), blockSize = rd32(block + 4);
      if (blockSize < 8 || at + blockSize > relocSize) fail(path, "bad relocation block");
      for (u32 k = 8; k + 2 <= blockSize; k += 2) {
        const u16 entry = rd16(block + k);
        if (entry >> 12 == 0) continue;
        if (entry >> 12 != 3) fail(path, "relocation type " + std::to_string(entry >> 12));
        u8* where = base + page + (entry & 0xFFF);
        const u32 v = rd32(where) + delta;
        std::memcpy(where, &v, sizeof v);
      }
      at += blockSize;
    }
  }

  // Imports, by name.
  u32 importSize;
  const u32 importRva = dir(1, &importSize);
  for (const u8* d = base + importRva; importSize && (rd32(d + 12) || rd32(d + 16)); d += 20) {
    const char* dll = reinterpret_cast<const char*>(base + rd32(d + 12));
    const u32 lookup = rd32(d) ? rd32(d) : rd32(d + 16);
    for (u32 k = 0;; ++k) {
      const u32 thunk = rd32(base + lookup + 4 * k);
      if (!thunk) break;
      if (thunk & 0x80000000u) fail(path, std::string("imports by ordinal from ") + dll);
      const char* name = reinterpret_cast<const char*>(base + thunk + 2);
      const void* address = findImport(dll, name);
      if (!address)
        fail(path, std::string("imports ") + dll + "!" + name + ", which this loader does not provide");
      const u32 v = static_cast<u32>(reinterpret_cast<std::uintptr_t>(address));
      std::memcpy(base + rd32(d + 16) + 4 * k, &v, sizeof v);
    }
  }

  // Section protections, recorded for VirtualQuery and VirtualProtect.
  const u32 at = static_cast<u32>(reinterpret_cast<std::uintptr_t>(base));
  image->regions.push_back({at, at + ((headerSize + 4095) & ~4095u), kPageReadOnly});
  for (u16 s = 0; s < sectionCount; ++s) {
    const u8* sh = sections + 40 * s;
    const u32 vsize = rd32(sh + 8) ? rd32(sh + 8) : rd32(sh + 16), va = rd32(sh + 12);
    const u32 align = sectionAlign > 4096 ? sectionAlign : 4096;
    const Region r{at + va, at + ((va + vsize + align - 1) & ~(align - 1)), windowsProtect(rd32(sh + 36))};
    image->regions.push_back(r);
  }
  for (const Region& r : image->regions)
    mprotect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(r.start)), r.end - r.start,
             unixProtect(r.winProtect));

  // Static TLS: a block for this thread, the DLL's index, its callbacks.
  u32 tlsSize;
  const u32 tlsRva = dir(9, &tlsSize);
  if (tlsSize) {
    const u8* t = base + tlsRva;
    const u32 start = rd32(t), end = rd32(t + 4), indexVa = rd32(t + 8), callbacks = rd32(t + 12);
    const u32 zeroFill = rd32(t + 16);
    if (tlsCount == std::size(tlsArray)) fail(path, "too many DLLs with TLS");
    u8* block = static_cast<u8*>(std::calloc(1, end - start + zeroFill + 1));
    std::memcpy(block, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(start)), end - start);
    tlsArray[tlsCount] = block;
    const u32 index = tlsCount++;
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(indexVa)), &index, sizeof index);
    for (const u8* cb = reinterpret_cast<const u8*>(static_cast<std::uintptr_t>(callbacks));
         callbacks && rd32(cb); cb += 4)
      image->tlsCallbacks.push_back(rd32(cb));
  }

  images.push_back(image);
  Image* loaded = image;
  image = nullptr;  // from here on unload() releases it
  try {
    notify(*loaded, 1 /* DLL_PROCESS_ATTACH */, false);
  } catch (...) {
    images.pop_back();
    munmap(loaded->base, loaded->size);
    delete loaded;
    throw;
  }
  *entryOut = reinterpret_cast<Entry>(exportOf(*loaded, "mexFunction"));
  return loaded;
}

void unload(void* handle) {
  auto* im = static_cast<Image*>(handle);
  notify(*im, 0 /* DLL_PROCESS_DETACH */, true);
  for (std::size_t k = 0; k < images.size(); ++k)
    if (images[k] == im) images.erase(images.begin() + static_cast<std::ptrdiff_t>(k));
  munmap(im->base, im->size);
  delete im;
}

// ---- KERNEL32.dll ------------------------------------------------------------

namespace {

// Handles of the DLLs this file stands in for; GetProcAddress reads the table.
const char* const kSystemDlls[] = {"kernel32.dll", "msvcrt.dll", "libmx.dll", "libmex.dll"};
char moduleTokens[std::size(kSystemDlls) + 1];  // the last one is the program's

// DLL names compare without case and with or without ".dll".
bool sameDll(const char* a, const char* b) {
  auto stem = [](const char* s) {
    std::string t;
    for (; *s; ++s) t += static_cast<char>(std::tolower(static_cast<unsigned char>(*s)));
    if (t.size() > 4 && t.compare(t.size() - 4, 4, ".dll") == 0) t.resize(t.size() - 4);
    return t;
  };
  return stem(a) == stem(b);
}

void* WINAPI GetModuleHandleA(const char* name) {
  if (!name) return &moduleTokens[std::size(kSystemDlls)];
  for (std::size_t k = 0; k < std::size(kSystemDlls); ++k)
    if (sameDll(name, kSystemDlls[k])) return &moduleTokens[k];
  setLastError(126);  // ERROR_MOD_NOT_FOUND
  return nullptr;
}

// ASCII only; anything else is refused with ERROR_NO_UNICODE_TRANSLATION.
int WINAPI MultiByteToWideChar(u32, u32, const char* s, int n, char16_t* out, int room) {
  if (n < 0) n = static_cast<int>(std::strlen(s)) + 1;
  for (int k = 0; k < n; ++k)
    if (static_cast<unsigned char>(s[k]) >= 0x80) return setLastError(1113), 0;
  if (!room) return n;
  if (room < n) return setLastError(122), 0;  // ERROR_INSUFFICIENT_BUFFER
  for (int k = 0; k < n; ++k) out[k] = static_cast<char16_t>(s[k]);
  return n;
}

int WINAPI WideCharToMultiByte(u32, u32, const char16_t* s, int n, char* out, int room, const char*,
                               int* usedDefault) {
  if (n < 0) {
    n = 0;
    while (s[n++]) {}
  }
  for (int k = 0; k < n; ++k)
    if (s[k] >= 0x80) return setLastError(1113), 0;
  if (usedDefault) *usedDefault = 0;
  if (!room) return n;
  if (room < n) return setLastError(122), 0;
  for (int k = 0; k < n; ++k) out[k] = static_cast<char>(s[k]);
  return n;
}

void* WINAPI GetModuleHandleW(const char16_t* name) {
  if (!name) return GetModuleHandleA(nullptr);
  char narrow[260];
  if (!WideCharToMultiByte(0, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr)) return nullptr;
  return GetModuleHandleA(narrow);
}

void* WINAPI LoadLibraryA(const char* name) { return name ? GetModuleHandleA(name) : nullptr; }
int WINAPI FreeLibrary(void*) { return 1; }

const void* WINAPI GetProcAddress(void* module, const char* name) {
  const void* found = nullptr;
  if (reinterpret_cast<std::uintptr_t>(name) >= 0x10000) {  // not by ordinal
    for (std::size_t k = 0; k < std::size(kSystemDlls); ++k)
      if (module == &moduleTokens[k]) found = findImport(kSystemDlls[k], name);
    for (Image* im : images)
      if (module == im->base) found = exportOf(*im, name);
  }
  if (!found) setLastError(127);  // ERROR_PROC_NOT_FOUND
  return found;
}

u32 WINAPI GetLastError() { return teb.at(0x34); }

void WINAPI InitializeCriticalSection(void* cs) { std::memset(cs, 0, 24); }
void WINAPI EnterCriticalSection(void*) {}
void WINAPI LeaveCriticalSection(void*) {}
void WINAPI DeleteCriticalSection(void*) {}

int WINAPI IsDBCSLeadByteEx(u32, u8) { return 0; }
void WINAPI Sleep(u32 ms) { usleep(ms * 1000u); }

void* WINAPI TlsGetValue(u32 index) {
  if (index >= std::size(tlsSlots)) return setLastError(87), nullptr;  // ERROR_INVALID_PARAMETER
  setLastError(0);
  return tlsSlots[index];
}

// Pages inside loaded images only.
int WINAPI VirtualProtect(void* address, std::size_t size, u32 protect, u32* old) {
  const u32 a = static_cast<u32>(reinterpret_cast<std::uintptr_t>(address));
  Region* r = regionOf(a);
  if (!r || !old) return setLastError(487), 0;  // ERROR_INVALID_ADDRESS
  *old = r->winProtect;
  const u32 start = a & ~4095u, end = (a + static_cast<u32>(size) + 4095u) & ~4095u;
  if (mprotect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(start)), end - start,
               unixProtect(protect)) != 0)
    return setLastError(87), 0;
  if (start == r->start && end >= r->end) r->winProtect = protect;
  return 1;
}

struct MemoryBasicInformation {
  u32 baseAddress, allocationBase, allocationProtect, regionSize, state, protect, type;
};

std::size_t WINAPI VirtualQuery(const void* address, MemoryBasicInformation* info, std::size_t length) {
  Image* im = nullptr;
  const Region* r = regionOf(static_cast<u32>(reinterpret_cast<std::uintptr_t>(address)), &im);
  if (!r || length < sizeof *info) return setLastError(87), 0;
  *info = {r->start, static_cast<u32>(reinterpret_cast<std::uintptr_t>(im->base)), kPageExecuteReadWrite,
           r->end - r->start, 0x1000 /* MEM_COMMIT */, r->winProtect, 0x1000000 /* MEM_IMAGE */};
  return sizeof *info;
}

// ---- msvcrt.dll ----------------------------------------------------------------

int winErrno = 0;  // msvcrt's errno, apart from glibc's
int* winErrnoAddress() { return &winErrno; }

int mbCurMax = 1;  // __mb_cur_max, a data export
struct WinFile {
  u8 bytes[32];
};
WinFile iob[3];  // _iob: msvcrt's stdin, stdout, stderr

std::FILE* unixFile(void* f) {
  if (f == &iob[0]) return stdin;
  if (f == &iob[1]) return stdout;
  if (f == &iob[2]) return stderr;
  std::fprintf(stderr, "test host: a Win32 plug-in wrote to a FILE that is not stdout or stderr\n");
  std::abort();
}

int winFputc(int c, void* f) { return std::fputc(c, unixFile(f)); }
std::size_t winFwrite(const void* p, std::size_t size, std::size_t count, void* f) {
  return std::fwrite(p, size, count, unixFile(f));
}
int winVfprintf(void* f, const char* format, va_list args) {
  return std::vfprintf(unixFile(f), format, args);
}

using Initializer = void (*)();
void winInitterm(Initializer* begin, Initializer* end) {
  for (; begin < end; ++begin)
    if (*begin) (*begin)();
}
[[noreturn]] void winAmsgExit(int code) {
  std::fprintf(stderr, "test host: a Win32 plug-in's runtime gave up (runtime error R60%02d)\n", code);
  std::_Exit(255);
}

void winLock(int) {}
void winUnlock(int) {}

// msvcrt's struct lconv for the "C" locale: ten strings, then eight chars.
struct WinLconv {
  const char* strings[10];
  char chars[8];
};
WinLconv cLocale = {{".", "", "", "", "", "", "", "", "", ""},
                    {CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX, CHAR_MAX}};
WinLconv* winLocaleconv() { return &cLocale; }

const char* winSetlocale(int, const char* name) {
  static const char c[] = "C";
  return !name || !*name || std::strcmp(name, "C") == 0 ? c : nullptr;
}

// wchar_t is 16 bits on Windows.
std::size_t winWcslen(const char16_t* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

[[noreturn]] void winAbort() { std::abort(); }

}  // namespace

}  // namespace testhost::pe

namespace testhost::pe {
namespace {

struct Import {
  const char* dll;
  const char* name;
  const void* address;
};

template <class F>
const void* fn(F* f) {
  return reinterpret_cast<const void*>(f);
}

const Import kImports[] = {
    {"kernel32.dll", "DeleteCriticalSection", fn(DeleteCriticalSection)},
    {"kernel32.dll", "EnterCriticalSection", fn(EnterCriticalSection)},
    {"kernel32.dll", "FreeLibrary", fn(FreeLibrary)},
    {"kernel32.dll", "GetLastError", fn(GetLastError)},
    {"kernel32.dll", "GetModuleHandleA", fn(GetModuleHandleA)},
    {"kernel32.dll", "GetModuleHandleW", fn(GetModuleHandleW)},
    {"kernel32.dll", "GetProcAddress", fn(GetProcAddress)},
    {"kernel32.dll", "InitializeCriticalSection", fn(InitializeCriticalSection)},
    {"kernel32.dll", "IsDBCSLeadByteEx", fn(IsDBCSLeadByteEx)},
    {"kernel32.dll", "LeaveCriticalSection", fn(LeaveCriticalSection)},
    {"kernel32.dll", "LoadLibraryA", fn(LoadLibraryA)},
    {"kernel32.dll", "MultiByteToWideChar", fn(MultiByteToWideChar)},
    {"kernel32.dll", "Sleep", fn(Sleep)},
    {"kernel32.dll", "TlsGetValue", fn(TlsGetValue)},
    {"kernel32.dll", "VirtualProtect", fn(VirtualProtect)},
    {"kernel32.dll", "VirtualQuery", fn(VirtualQuery)},
    {"kernel32.dll", "WideCharToMultiByte", fn(WideCharToMultiByte)},
    {"msvcrt.dll", "__mb_cur_max", &mbCurMax},
    {"msvcrt.dll", "_amsg_exit", fn(winAmsgExit)},
    {"msvcrt.dll", "_errno", fn(winErrnoAddress)},
    {"msvcrt.dll", "_initterm", fn(winInitterm)},
    {"msvcrt.dll", "_iob", iob},
    {"msvcrt.dll", "_lock", fn(winLock)},
    {"msvcrt.dll", "_unlock", fn(winUnlock)},
    {"msvcrt.dll", "abort", fn(winAbort)},
    {"msvcrt.dll", "atoi", fn(std::atoi)},
    {"msvcrt.dll", "calloc", fn(std::calloc)},
    {"msvcrt.dll", "fputc", fn(winFputc)},
    {"msvcrt.dll", "free", fn(std::free)},
    {"msvcrt.dll", "fwrite", fn(winFwrite)},
    {"msvcrt.dll", "localeconv", fn(winLocaleconv)},
    {"msvcrt.dll", "malloc", fn(std::malloc)},
    {"msvcrt.dll", "memcpy", fn(std::memcpy)},
    {"msvcrt.dll", "memset", fn(std::memset)},
    {"msvcrt.dll", "realloc", fn(std::realloc)},
    {"msvcrt.dll", "setlocale", fn(winSetlocale)},
    {"msvcrt.dll", "strchr", fn(static_cast<const char* (*)(const char*, int)>(std::strchr))},
    {"msvcrt.dll", "strerror", fn(std::strerror)},
    {"msvcrt.dll", "strlen", fn(std::strlen)},
    {"msvcrt.dll", "strncmp", fn(std::strncmp)},
    {"msvcrt.dll", "vfprintf", fn(winVfprintf)},
    {"msvcrt.dll", "wcslen", fn(winWcslen)},
    {"libmx.dll", "mxGetPr", fn(mxGetPr)},
    {"libmx.dll", "mxGetData", fn(mxGetData)},
    {"libmx.dll", "mxGetM", fn(mxGetM)},
    {"libmx.dll", "mxGetN", fn(mxGetN)},
    {"libmx.dll", "mxGetNumberOfElements", fn(mxGetNumberOfElements)},
    {"libmx.dll", "mxGetElementSize", fn(mxGetElementSize)},
    {"libmx.dll", "mxGetScalar", fn(mxGetScalar)},
    {"libmx.dll", "mxGetClassID", fn(mxGetClassID)},
    {"libmx.dll", "mxIsDouble", fn(mxIsDouble)},
    {"libmx.dll", "mxIsSparse", fn(mxIsSparse)},
    {"libmx.dll", "mxIsComplex", fn(mxIsComplex)},
    {"libmx.dll", "mxIsLogical", fn(mxIsLogical)},
    {"libmx.dll", "mxIsNumeric", fn(mxIsNumeric)},
    {"libmx.dll", "mxCreateDoubleMatrix_700", fn(mxCreateDoubleMatrix_700)},
    {"libmx.dll", "mxCalloc", fn(mxCalloc)},
    {"libmx.dll", "mxFree", fn(mxFree)},
    {"libmex.dll", "mexErrMsgTxt", fn(mexErrMsgTxt)},
    {"libmex.dll", "mexErrMsgIdAndTxt", fn(mexErrMsgIdAndTxt)},
};

const void* findImport(const char* dll, const char* name) {
  for (const Import& i : kImports)
    if (sameDll(dll, i.dll) && std::strcmp(name, i.name) == 0) return i.address;
  return nullptr;
}

}  // namespace
}  // namespace testhost::pe
