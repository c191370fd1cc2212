// The wait dialog's texts: progress states and elapsed time with the largest non-zero unit first.

#include <gtest/gtest.h>

#include "brv_core/acquisition/progress_texts.h"

namespace brv {
namespace {

TEST(ProgressTexts, ElapsedTimeStartsWithItsLargestNonZeroUnit) {
  EXPECT_EQ(TexteTempsEcoule(0), "0s");
  EXPECT_EQ(TexteTempsEcoule(59999), "59s");
  EXPECT_EQ(TexteTempsEcoule(60000), "1mn 0s");
  EXPECT_EQ(TexteTempsEcoule(3600000), "1h 0mn 0s");
  EXPECT_EQ(TexteTempsEcoule((86400 + 3661) * 1000ULL), "1j 1h 1mn 1s");
}

TEST(ProgressTexts, EachProgressStateHasItsText) {
  EXPECT_STREQ(TexteEtatProgression(0), "Waiting for deferred acquisition to start...");
  EXPECT_STREQ(TexteEtatProgression(2), "Waiting for traffic to restart...");
  EXPECT_STREQ(TexteEtatProgression(5), "Formatting data...");
  EXPECT_STREQ(TexteEtatProgression(6), "");
}

}  // namespace
}  // namespace brv
