// The test host's libmat: deliverables depend on the library but call nothing
// in it.
#include "testhost.h"

extern "C" TESTHOST_API int testhostMatPresent() { return 1; }
