#pragma once
// Whole numbers on the command line: digits only, within a range. A sign or a value past the
// range is refused with a message naming the option and the accepted range, never wrapped.

#include <cstdint>

namespace CLI {
class Option;
}

namespace brv::cli {

// Checks the option's text as a whole number from min to max.
CLI::Option* whole_number(CLI::Option* option, uint64_t min, uint64_t max = UINT64_MAX);

}  // namespace brv::cli
