#include "ftd2xx/usb_library.h"

#include <ftdi.h>

namespace ftd2xx {

const char* usb_library_version() {
  const char* v = ftdi_get_library_version().version_str;
  return v ? v : "";
}

}  // namespace ftd2xx
