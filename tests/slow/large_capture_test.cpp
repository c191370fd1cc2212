// A capture of millions of frames in each layout: the walk crosses many read blocks and wraps,
// and reads the same records in both directions.

#include <gtest/gtest.h>

#include "brv_core/file/record_cursor.h"
#include "brv_core/synth/sample_capture.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

class LargeCapture : public ::testing::TestWithParam<AcqLayout> {};

TEST_P(LargeCapture, BothDirectionsAgree) {
  test::TempDir dir;
  const std::string path = dir.file("large.dat");
  SampleCaptureOptions o;
  o.frames = 2'000'000;
  o.layout = GetParam();
  SampleCaptureSummary summary;
  std::string error;
  ASSERT_TRUE(write_sample_capture(path, o, summary, error)) << error;
  AcqFile file;
  ASSERT_EQ(file.open(path), AcqOpenStatus::Ok);

  // Order-sensitive digests of both walks.
  RecordCursor cursor(file);
  FrameRecord rec;
  std::vector<uint64_t> offsets;
  WalkStatus st;
  while ((st = cursor.next(rec)) == WalkStatus::Record) offsets.push_back(rec.offset);
  ASSERT_EQ(st, WalkStatus::End) << cursor.invalid_message();
  cursor.seek_end();
  size_t i = offsets.size();
  bool same = true;
  while ((st = cursor.prev(rec)) == WalkStatus::Record) same = same && i > 0 && offsets[--i] == rec.offset;
  ASSERT_EQ(st, WalkStatus::End) << cursor.invalid_message();
  EXPECT_TRUE(same);
  EXPECT_EQ(i, 0u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LargeCapture,
                         ::testing::Values(AcqLayout::Linear, AcqLayout::Circular, AcqLayout::Pretrigger),
                         [](const auto& info) { return std::string(layout_name(info.param)); });

}  // namespace
}  // namespace brv
