#include "number_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <string>

namespace brv::cli {

CLI::Option* whole_number(CLI::Option* option, uint64_t min, uint64_t max) {
  const std::string range = "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
  return option->check(CLI::Validator(
      [min, max, range](std::string& text) -> std::string {
        uint64_t v = 0;
        const char* end = text.data() + text.size();
        const auto [p, ec] = std::from_chars(text.data(), end, v);
        if (text.empty() || ec != std::errc{} || p != end || v < min || v > max) {
          return "'" + text + "' is not " + range;
        }
        return {};
      },
      ""));
}

}  // namespace brv::cli
