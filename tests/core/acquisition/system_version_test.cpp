// The system version the engine is given, from the kernel's release string.
#include <gtest/gtest.h>

#include "brv_core/acquisition/acquisition_controller.h"

namespace brv {
namespace {

TEST(SystemVersion, FromTheKernelRelease) {
  const struct {
    const char* release;
    int majeur, mineur;
  } cas[] = {{"6.1.0-18-amd64", 6, 1}, {"5.15.90.1-microsoft", 5, 15}, {"7", 7, 0}, {"x", 0, 0}, {"300.2", 0, 2}};
  for (const auto& c : cas) {
    uint8_t maj = 9, min = 9;
    VersionSystemeDe(c.release, maj, min);
    EXPECT_EQ(maj, c.majeur) << c.release;
    EXPECT_EQ(min, c.mineur) << c.release;
  }
}

}  // namespace
}  // namespace brv
