// Events, waitable timers and the ordered wait the engine threads rely on.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <brv_platform/sync.h>

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace brv::platform;

TEST(PlatformSync, TheFirstSignalledObjectInListOrderWins) {
  Event a("a"), b("b");
  EXPECT_EQ(wait_any({&a, &b}, 0), kWaitTimeout);
  b.set();
  EXPECT_EQ(wait_any({&a, &b}, 0), 1);
  a.set();
  EXPECT_EQ(wait_any({&a, &b}, 0), 0);
  // Manual reset: both stay signalled until reset.
  EXPECT_TRUE(a.is_set());
  EXPECT_TRUE(b.is_set());
  a.reset();
  a.reset();  // resetting a clear event is harmless
  EXPECT_EQ(wait_any({&a, &b}, 0), 1);
  b.set();
  b.set();
  b.reset();
  EXPECT_FALSE(b.is_set());
}

TEST(PlatformSync, AutoResetObjectsClearWhenAWaitSeesThem) {
  Event e("auto", false);
  e.set();
  EXPECT_EQ(wait_any({&e}, 0), 0);
  EXPECT_EQ(wait_any({&e}, 0), kWaitTimeout);

  WaitableTimer t("timer");
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(t.set(-200000));  // 20 ms, relative
  EXPECT_EQ(wait_any({&t}, 2000), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 19ms);
  EXPECT_EQ(wait_any({&t}, 50), kWaitTimeout);  // no period: fires once
}

TEST(PlatformSync, ATimerCanBeCancelledOrReArmedAndWakesAWaitingThread) {
  WaitableTimer t("timer");
  t.set(-100000);
  t.cancel();
  EXPECT_EQ(wait_any({&t}, 40), kWaitTimeout);
  t.set(-10000000);     // 1 s
  t.set(-100000);       // re-armed: 10 ms replaces it
  EXPECT_EQ(wait_any({&t}, 500), 0);

  Event stop("stop");
  std::thread setter([&] {
    std::this_thread::sleep_for(10ms);
    stop.set();
  });
  EXPECT_EQ(wait_any({&stop, &t}), 0);
  setter.join();
}

}  // namespace
}  // namespace brv::test
