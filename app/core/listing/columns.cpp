#include "brv_core/listing/columns.h"
