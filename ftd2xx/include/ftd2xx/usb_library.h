#pragma once
// The USB libraries under the D2XX layer, named for the about box and --version.

namespace ftd2xx {

// The library's own version text (libftdi1), e.g. "1.5"; never null.
__attribute__((visibility("default"))) const char* usb_library_version();

// The version of libusb under libftdi1, "MAJOR.MINOR.MICRO", e.g. "1.0.26"; never null.
__attribute__((visibility("default"))) const char* libusb_library_version();

}  // namespace ftd2xx
