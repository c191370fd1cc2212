#pragma once
// The text of --version, one for the desktop program and the command-line tool.

#include <string>
#include <string_view>

namespace brv {

// The program's version, "MAJOR.MINOR.PATCH".
const char* VersionProgramme();

// "PROGRAM X.Y.Z", then the versions of the libraries loaded with it on a second line
// ("Vandrel X.Y.Z, Kestrin X.Y.Z, libftdi1 X.Y, libusb X.Y.Z"); no final newline.
std::string TexteVersion(std::string_view programme);

}  // namespace brv
