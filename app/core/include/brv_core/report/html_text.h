#pragma once
// Text put into the program's pages: data, never markup.

#include <string>
#include <string_view>

namespace brv {

std::string EchappeHtml(std::string_view texte);

}  // namespace brv
