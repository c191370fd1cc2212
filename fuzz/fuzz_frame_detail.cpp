// Any frame bytes give a detail page, whatever identifier they are taken to answer.

#include <cstdint>
#include <string>

#include "brv_core/report/frame_detail.h"

namespace {
struct Quiet : brv::IRapportDocument {
  void BoiteMessage(std::string_view, brv::IconeMessage) override {}
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 400) return 0;
  static Quiet quiet;
  static brv::CBrenvaleDoc doc(quiet, "/tmp/");
  const uint16_t id = static_cast<uint16_t>((data[0] << 8) | data[1]);
  brv::LIGNE_TRAME row;
  row.octets.assign(data + 2, data + size);
  row.texte.push_back('x');  // (assigning a literal trips a false -Wrestrict in GCC 12 at -O3)
  brv::ContexteDetail ctx{doc, nullptr, (id & 1) != 0, id, true};
  brv::FormateDetailTrame(ctx, &row);
  const auto len = static_cast<uint16_t>(row.octets.size());
  brv::detail_trame::ServiceUniTe(len, row.octets.data());
  brv::detail_trame::VariableReseau(id, len, row.octets.data());
  return 0;
}
