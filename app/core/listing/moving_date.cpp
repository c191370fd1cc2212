#include "brv_core/listing/moving_date.h"
