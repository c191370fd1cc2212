#include "ftd2xx/usb_library.h"

#include <ftdi.h>
#include <libusb.h>

#include <string>

namespace ftd2xx {

const char* usb_library_version() {
  const char* v = ftdi_get_library_version().version_str;
  return v ? v : "";
}

const char* libusb_library_version() {
  // libusb's describe string is empty on some builds: the numbers are always there.
  static const std::string text = [] {
    const struct libusb_version* v = libusb_get_version();
    if (!v) return std::string();
    return std::to_string(v->major) + '.' + std::to_string(v->minor) + '.' + std::to_string(v->micro);
  }();
  return text.c_str();
}

}  // namespace ftd2xx
