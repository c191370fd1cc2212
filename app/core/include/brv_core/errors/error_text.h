#pragma once
// The program's error-text rule: the acquisition engine's codes (code & 0x3FA00000 ==
// 0x3FA00000) take their text from VANDREL_ERROR_MESSAGE, every other code from
// KESTRIN_ERROR_MESSAGE. Empty when the library has no text for the code.

#include <string>

namespace brv {

std::string error_text(unsigned long code);

}  // namespace brv
