// The test host's libmex: error reporting, and loading and calling a deliverable.
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "context.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(TESTHOST_PE)
#include "pe.h"
#else
#include <dlfcn.h>
#endif

extern "C" {

TESTHOST_API void mexErrMsgTxt(const char* message) {
  testhost::detail::logCall("mexErrMsgTxt");
  testhost::detail::raise("", message ? message : "");  // no C++ temporaries: see raise()
}

TESTHOST_API void mexErrMsgIdAndTxt(const char* id, const char* format, ...) {
  testhost::detail::logCall("mexErrMsgIdAndTxt");
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format ? format : "", args);
  va_end(args);
  testhost::detail::raise(id ? id : "", message);
}

}  // extern "C"

namespace testhost {

Plugin::Plugin(const std::string& path) : path_(path) {
#if defined(_WIN32)
  HMODULE h = LoadLibraryA(path.c_str());
  if (!h)
    throw std::runtime_error("cannot load " + path + " (Windows error " +
                             std::to_string(GetLastError()) + ")");
  handle_ = h;
  entry_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(h, "mexFunction")));
#elif defined(TESTHOST_PE)
  handle_ = pe::load(path, &entry_);
#else
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error("cannot load " + path + ": " + dlerror());
  entry_ = reinterpret_cast<Entry>(dlsym(handle_, "mexFunction"));
#endif
  if (!entry_) throw std::runtime_error(path + " exports no mexFunction");
}

Plugin::~Plugin() {
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(handle_));
#elif defined(TESTHOST_PE)
  pe::unload(handle_);
#else
  dlclose(handle_);
#endif
}

namespace {
// Kept apart from Plugin::call so that no local of the caller lives across the
// jump back from an error.
bool invoke(void (*entry)(int, mxArray**, int, const mxArray**), int nlhs, mxArray** plhs,
            int nrhs, const mxArray** prhs, std::jmp_buf* jump) {
  if (setjmp(*jump) != 0) return false;
  entry(nlhs, plhs, nrhs, prhs);
  return true;
}
}  // namespace

CallResult Plugin::call(int nlhs, const std::vector<const mxArray*>& inputs) const {
  // The host always provides output slot 0, also when nlhs is 0.
  std::vector<mxArray*> plhs(nlhs > 1 ? static_cast<std::size_t>(nlhs) : 1, nullptr);
  std::vector<const mxArray*> prhs(inputs);
  std::jmp_buf jump;
  detail::beginCall(inputs, &jump);
  const bool returned = invoke(entry_, nlhs, plhs.data(), static_cast<int>(prhs.size()),
                               prhs.empty() ? nullptr : prhs.data(), &jump);
  return detail::endCall(returned, plhs);
}

}  // namespace testhost
