#include "brv_core/listing/row_cache.h"
