// Any user data file reads or is refused with its line, and lookups on what it gave stay in bounds.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "brv_core/userdata/user_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("userdata", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
    std::vector<brv::DONNEE_UTILISATEUR> list;
    brv::LitDonneesUtilisateur("/proc/self/fd/" + std::to_string(fd), list);
    const uint16_t len = static_cast<uint16_t>(size < 64 ? size : 64);
    for (const auto& entry : list) {
      for (const auto& field : entry.champs) brv::ValeurChampUtilisateur(field, len, data);
    }
    brv::ChercheDonneeUtilisateur(list, len, data, true, 0x0100);
  }
  ::close(fd);
  return 0;
}
