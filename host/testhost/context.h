// State shared by the test host's libmx and libmex during one call.
#ifndef TOOLBOX_TESTHOST_CONTEXT_H
#define TOOLBOX_TESTHOST_CONTEXT_H

#include <csetjmp>
#include <cstddef>
#include <string>
#include <vector>

#include "testhost.h"

namespace testhost::detail {

// Starts a call: labels the inputs and records their contents.
TESTHOST_API void beginCall(const std::vector<const mxArray*>& inputs, std::jmp_buf* jump);
// Ends a call: collects the outputs (after a normal return) and releases what
// the deliverable left behind.
TESTHOST_API CallResult endCall(bool returned, std::vector<mxArray*>& plhs);
// Records an error raised by the deliverable and jumps back to the caller.
// The jump skips destructors: callers must hold no object that owns memory
// (such as a std::string) when they call it.
[[noreturn]] TESTHOST_API void raise(const char* id, const char* message);
TESTHOST_API void logCall(const std::string& entry);

}  // namespace testhost::detail

#endif
