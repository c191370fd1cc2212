#include "brv_core/report/html_text.h"

namespace brv {

std::string EchappeHtml(std::string_view t) {
  std::string e;
  e.reserve(t.size());
  for (const char c : t) {
    switch (c) {
      case '<': e += "&lt;"; break;
      case '>': e += "&gt;"; break;
      case '&': e += "&amp;"; break;
      case '"': e += "&quot;"; break;
      case '\'': e += "&#39;"; break;
      default: e.push_back(c);
    }
  }
  return e;
}

}  // namespace brv
