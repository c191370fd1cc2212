#include "kestrin/version.h"

#ifndef KESTRIN_VERSION
#error "KESTRIN_VERSION is set by the build from the project version"
#endif

extern "C" const char* kestrin_version(void) { return KESTRIN_VERSION; }
