#include "brv_core/listing/goto_search.h"
