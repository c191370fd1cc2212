// Sample captures: every layout reads back whole, the same forwards as backwards, wrapped
// where the layout rotates, with frames the decoder accepts.

#include <gtest/gtest.h>

#include <map>

#include "brv_core/decode/decodage_trame.h"
#include "brv_core/file/capture_info.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/synth/sample_capture.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

struct LayoutCase {
  AcqLayout layout;
  uint64_t zone_size;
  bool rotates;
};

class SampleCaptureTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SampleCaptureTest, ReadsTheSameFramesForwardsAsBackwardsReversed) {
  test::TempDir dir;
  const std::string path = dir.file("sample.dat");
  SampleCaptureOptions o;
  o.frames = 60000;  // more than one read block, so window refills are crossed
  o.layout = GetParam().layout;
  o.zone_size = GetParam().zone_size;
  o.seed = 11;
  SampleCaptureSummary summary;
  std::string error;
  ASSERT_TRUE(write_sample_capture(path, o, summary, error)) << error;

  AcqFile file;
  ASSERT_EQ(file.open(path), AcqOpenStatus::Ok) << file.detail();
  EXPECT_EQ(file.layout(), o.layout);
  EXPECT_FALSE(file.truncated());

  std::vector<uint64_t> fwd;
  std::vector<uint64_t> dates;
  RecordCursor cursor(file);
  FrameRecord rec;
  WalkStatus st;
  while ((st = cursor.next(rec)) == WalkStatus::Record) {
    fwd.push_back(rec.offset);
    dates.push_back(rec.date());
  }
  ASSERT_EQ(st, WalkStatus::End) << cursor.invalid_message();
  ASSERT_GT(fwd.size(), 1000u);
  if (GetParam().rotates) {
    EXPECT_LT(fwd.size(), o.frames);  // the rotation dropped the oldest frames
  } else {
    EXPECT_EQ(fwd.size(), o.frames);
  }

  std::vector<uint64_t> back;
  cursor.seek_end();
  while ((st = cursor.prev(rec)) == WalkStatus::Record) back.push_back(rec.offset);
  ASSERT_EQ(st, WalkStatus::End) << cursor.invalid_message();
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(back, fwd);

  if (o.layout == AcqLayout::Pretrigger) {
    // The trigger is the first post-trigger record: date 0, status 0, after the history.
    RecordCursor post(file);
    post.seek({1, 0});
    ASSERT_EQ(post.next(rec), WalkStatus::Record);
    EXPECT_EQ(rec.date_raw, 0u);
    EXPECT_EQ(rec.status, 0);
    EXPECT_GT(file.header().ullDateTrig, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SampleCaptureTest,
                         ::testing::Values(LayoutCase{AcqLayout::Linear, 0, false},
                                           LayoutCase{AcqLayout::Circular, 0, true},
                                           LayoutCase{AcqLayout::Circular, 4096 * 8, true},
                                           LayoutCase{AcqLayout::Pretrigger, 0, true},
                                           LayoutCase{AcqLayout::Pretrigger, 3100, true}),
                         [](const auto& info) {
                           return std::string(layout_name(info.param.layout)) + "_zone" +
                                  std::to_string(info.param.zone_size);
                         });

TEST(SampleTraffic, DatesGrowAndFramesDecode) {
  test::TempDir dir;
  const std::string path = dir.file("sample.dat");
  SampleCaptureOptions o;
  o.frames = 200000;
  o.speed = vandrel::VITESSE_2M5;
  o.worldfip = true;
  SampleCaptureSummary summary;
  std::string error;
  ASSERT_TRUE(write_sample_capture(path, o, summary, error)) << error;
  AcqFile file;
  ASSERT_EQ(file.open(path), AcqOpenStatus::Ok);
  EXPECT_EQ(file.header().bTramesTypeFip, 0);
  EXPECT_EQ(file.header().enVitesse, vandrel::VITESSE_2M5);

  const DescriptionCapture capture = capture_description(file.header());
  const CDecodageTrame decoder(capture);
  std::map<int, uint64_t> results;
  std::string annotation;
  RecordCursor cursor(file);
  FrameRecord rec;
  uint64_t previous = 0;
  bool dates_grow = true;
  while (cursor.next(rec) == WalkStatus::Record) {
    ++results[decoder.DecodeTrame(rec.frame_len, rec.frame, nullptr, false, annotation)];
    dates_grow = dates_grow && rec.date() >= previous;
    previous = rec.date();
  }
  EXPECT_TRUE(dates_grow);
  // Mostly valid traffic, with the odd line event and CRC error an engineer meets on a real bus.
  EXPECT_GT(results[TRAME_OK], 199000u);
  EXPECT_LT(results[TRAME_CRC], 100u);
  EXPECT_GT(results[TRAME_GLITCH] + results[TRAME_DELIMITEUR] + results[TRAME_INTERRUPTION_PC], 0u);
}

TEST(SampleCapture, RefusesOutOfRangeOptions) {
  test::TempDir dir;
  SampleCaptureOptions o;
  o.speed = 4;
  SampleCaptureSummary summary;
  std::string error;
  EXPECT_FALSE(write_sample_capture(dir.file("a.dat"), o, summary, error));
  o.speed = 1;
  EXPECT_FALSE(write_sample_capture(dir.file("missing/dir/a.dat"), o, summary, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
}

}  // namespace
}  // namespace brv
