#include "brv_core/about/version_text.h"

#include <ftd2xx/usb_library.h>
#include <kestrin/version.h>
#include <vandrel/version.h>

#ifndef BRV_VERSION
#error "BRV_VERSION is set by the build from the project version"
#endif

namespace brv {

const char* VersionProgramme() { return BRV_VERSION; }

std::string TexteVersion(std::string_view programme) {
  std::string t(programme);
  t += ' ';
  t += VersionProgramme();
  // The libraries' own answers: a program run against other builds of them says so.
  t += "\nVandrel ";
  t += vandrel_version();
  t += ", Kestrin ";
  t += kestrin_version();
  t += ", libftdi1 ";
  t += ftd2xx::usb_library_version();
  t += ", libusb ";
  t += ftd2xx::libusb_library_version();
  return t;
}

}  // namespace brv
