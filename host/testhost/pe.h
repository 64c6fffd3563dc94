// The test host's loader of 32-bit Windows plug-ins into an i386 Linux
// program (pe.cpp).
#ifndef TOOLBOX_TESTHOST_PE_H
#define TOOLBOX_TESTHOST_PE_H

#include <string>

#include "mex.h"

namespace testhost::pe {

using Entry = void (*)(int, mxArray**, int, const mxArray**);

// Maps the DLL at `path`, runs its initialization and returns a handle for
// unload; `entry` receives its exported mexFunction. Throws std::runtime_error
// naming the cause (also an import the loader does not provide).
void* load(const std::string& path, Entry* entry);
// Detaches the DLL (its entry point and TLS callbacks) and unmaps it.
void unload(void* handle);

}  // namespace testhost::pe

#endif
