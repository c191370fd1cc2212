// Any configuration file is read in one form or refused, leaving the configuration whole.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "brv_core/file/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("config", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    for (bool after_capture : {false, true}) {
      brv::Configuration config;
      brv::ConfigurationParDefaut(config, "/tmp/brenvale.dat");
      brv::OuvrirConfiguration(path, after_capture, config);
    }
    // The embedded form, as behind a capture.
    brv::ByteReader in(fd, 0, size);
    brv::Configuration config;
    uint64_t part_b = 0;
    brv::LireCorpsConfiguration(in, brv::FormeConfiguration{true, true}, config, &part_b);
  }
  ::close(fd);
  return 0;
}
