#include "vandrel/version.h"

#ifndef VANDREL_VERSION
#error "VANDREL_VERSION is set by the build from the project version"
#endif

extern "C" const char* vandrel_version(void) { return VANDREL_VERSION; }
