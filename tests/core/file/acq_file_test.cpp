// The acquisition file reader: header checks, zones of every layout, walks both ways,
// records split across wraps, and files that lie about their lengths.

#include <gtest/gtest.h>

#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "support/capture_builder.h"

namespace brv {
namespace {

using test::FileImage;
using test::TestRecord;
using namespace vandrel;

struct Walked {
  std::vector<uint64_t> offsets;
  std::vector<uint64_t> dates;
  std::vector<std::vector<uint8_t>> frames;
  WalkStatus end = WalkStatus::End;
  uint64_t invalid_offset = 0;
};

Walked walk(const AcqFile& file, bool forward) {
  Walked w;
  RecordCursor cursor(file);
  if (!forward) cursor.seek_end();
  FrameRecord rec;
  while ((w.end = forward ? cursor.next(rec) : cursor.prev(rec)) == WalkStatus::Record) {
    w.offsets.push_back(rec.offset);
    w.dates.push_back(rec.date_raw);
    w.frames.emplace_back(rec.frame, rec.frame + rec.frame_len);
  }
  w.invalid_offset = cursor.invalid_offset();
  return w;
}

class AcqFileTest : public ::testing::Test {
 protected:
  AcqFile& open(FileImage& image) {
    image.save(path_);
    status_ = file_.open(path_);
    return file_;
  }
  test::TempDir dir_;
  std::string path_ = dir_.file("capture.dat");
  AcqFile file_;
  AcqOpenStatus status_ = AcqOpenStatus::Ok;
};

const std::vector<TestRecord> kThree = {
    {0, {0x03, 0x90, 0x02, 0x9E, 0x06}, 0x04},
    {470, {0x02, 0x40, 0x02, 0x11, 0x22, 0x00, 0x00}, 0x00},
    {1100 | kMarqueFiltre, {0xFD, 0xFD}, STATUT_GLITCH},
};

TEST_F(AcqFileTest, RefusesMissingShortAndForeignFiles) {
  EXPECT_EQ(file_.open(dir_.file("absent.dat")), AcqOpenStatus::CannotOpen);
  EXPECT_EQ(file_.message(), "Error opening the acquisition file.");

  FileImage tiny(87);
  EXPECT_EQ(open(tiny).message(), "Acquisition file invalid.");
  EXPECT_EQ(status_, AcqOpenStatus::Invalid);

  FileImage foreign;
  foreign.header.ulFormatEntete = 257;
  open(foreign);
  EXPECT_EQ(status_, AcqOpenStatus::Invalid);
  EXPECT_EQ(file_.message(), "Acquisition file invalid.");
  EXPECT_NE(file_.detail().find("257"), std::string::npos);
}

TEST_F(AcqFileTest, InterruptedCaptureOffersNoZone) {
  FileImage image;
  image.header.enEtatAcq = ATTENTE_TRAFIC;
  image.put(88, test::stream_of(kThree));
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_TRUE(file_.interrupted());
  EXPECT_TRUE(file_.zones().empty());
  EXPECT_EQ(walk(file_, true).end, WalkStatus::End);
}

TEST_F(AcqFileTest, LinearZoneWalksBothWaysAndStopsAtItsLength) {
  FileImage image;
  const auto stream = test::stream_of(kThree);
  image.put(88, stream);
  image.put(88 + stream.size(), {0xAA, 0xBB, 0xCC});  // the program's tail: not records
  image.header.ullLgZonePostTrig = stream.size();
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(file_.layout(), AcqLayout::Linear);

  const Walked fwd = walk(file_, true);
  ASSERT_EQ(fwd.end, WalkStatus::End);
  ASSERT_EQ(fwd.frames.size(), 3u);
  EXPECT_EQ(fwd.offsets, (std::vector<uint64_t>{88, 88 + 18, 88 + 18 + 20}));
  EXPECT_EQ(fwd.frames[1], kThree[1].frame);
  EXPECT_EQ(fwd.dates[2], kThree[2].date);

  RecordCursor cursor(file_);
  FrameRecord rec;
  cursor.seek_end();
  ASSERT_EQ(cursor.prev(rec), WalkStatus::Record);
  EXPECT_TRUE(rec.filter_mark());
  EXPECT_EQ(rec.date(), 1100u);
  EXPECT_EQ(rec.status, STATUT_GLITCH);
  EXPECT_EQ(rec.length, 15);

  Walked back = walk(file_, false);
  std::reverse(back.offsets.begin(), back.offsets.end());
  EXPECT_EQ(back.offsets, fwd.offsets);
}

// Records A, B, C written from physical offset 138 into the zone [88, 148): A is split,
// its first 10 bytes at the end of the zone and the other 8 at 88.
void put_wrapped_abc(FileImage& image, uint64_t end_of_zone) {
  const auto stream = test::stream_of({{0, {0x03, 0x01, 0x00, 0x11, 0x22}, 0},
                                       {500, {0xFE, 0xFE}, STATUT_DELIMITEUR_1},
                                       {900, {0x03, 0x01, 0x01, 0x33, 0x44}, 0}});
  ASSERT_EQ(stream.size(), 51u);
  image.put_wrapped(88, end_of_zone - 88, 138, stream);
}

TEST_F(AcqFileTest, CircularZoneJoinsRecordSplitAcrossTheWrap) {
  FileImage image;
  put_wrapped_abc(image, 148);
  image.header.ulLgBlocTournant = 20;
  image.header.ullLgZonePostTrig = 60;
  image.header.ullPosTournantDebut = 138;
  image.header.ullPosTournantFin = 128;
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(file_.layout(), AcqLayout::Circular);
  ASSERT_EQ(file_.zones().size(), 1u);
  ASSERT_EQ(file_.zones()[0].segments.size(), 2u);
  EXPECT_EQ(file_.zones()[0].length(), 51u);

  const Walked fwd = walk(file_, true);
  ASSERT_EQ(fwd.end, WalkStatus::End);
  EXPECT_EQ(fwd.offsets, (std::vector<uint64_t>{138, 96, 111}));
  EXPECT_EQ(fwd.frames[0], (std::vector<uint8_t>{0x03, 0x01, 0x00, 0x11, 0x22}));
  EXPECT_EQ(fwd.dates, (std::vector<uint64_t>{0, 500, 900}));

  Walked back = walk(file_, false);
  ASSERT_EQ(back.end, WalkStatus::End);
  std::reverse(back.frames.begin(), back.frames.end());
  EXPECT_EQ(back.frames, fwd.frames);
}

TEST_F(AcqFileTest, CircularZoneBeforeItsFirstWrapReadsFromTheStart) {
  FileImage image;
  const auto stream = test::stream_of(kThree);
  image.put(88, stream);
  image.header.ulLgBlocTournant = 4096;
  image.header.ullLgZonePostTrig = stream.size();
  image.header.ullPosTournantDebut = 88;
  image.header.ullPosTournantFin = 88 + stream.size() - 1;
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(walk(file_, true).frames.size(), 3u);
}

TEST_F(AcqFileTest, CircularBoundsOutsideTheZoneAreRefused) {
  FileImage image;
  put_wrapped_abc(image, 148);
  image.header.ulLgBlocTournant = 20;
  image.header.ullLgZonePostTrig = 60;
  image.header.ullPosTournantDebut = 148;  // one past the zone
  image.header.ullPosTournantFin = 128;
  open(image);
  EXPECT_EQ(status_, AcqOpenStatus::Invalid);
  EXPECT_EQ(file_.message(), "Acquisition file invalid.");
}

TEST_F(AcqFileTest, PretriggerZoneIsReadBeforeThePostTriggerZone) {
  FileImage image;
  put_wrapped_abc(image, 148);  // pre-trigger zone [88, 148), wrapped
  const auto post = test::stream_of({{0, {0x03, 0x02, 0x00, 0x55, 0x66}, 0}, {470, {0x40, 0x12, 0x34}, 0}});
  image.put(148, post);
  image.header.ullPosZonePreTrig = 88;
  image.header.ullPosZonePostTrig = 148;
  image.header.ullLgZonePostTrig = post.size();
  image.header.ullPosTournantDebut = 138;
  image.header.ullPosTournantFin = 128;
  image.header.ullDateTrig = 1000;
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(file_.layout(), AcqLayout::Pretrigger);
  ASSERT_EQ(file_.zones().size(), 2u);

  const Walked fwd = walk(file_, true);
  ASSERT_EQ(fwd.end, WalkStatus::End);
  EXPECT_EQ(fwd.offsets, (std::vector<uint64_t>{138, 96, 111, 148, 166}));

  Walked back = walk(file_, false);
  ASSERT_EQ(back.end, WalkStatus::End);
  std::reverse(back.offsets.begin(), back.offsets.end());
  EXPECT_EQ(back.offsets, fwd.offsets);
}

TEST_F(AcqFileTest, PretriggerHistoryNotWrappedAndEmptyHistory) {
  FileImage image;
  const auto pre = test::stream_of(kThree);
  const auto post = test::stream_of({{0, {0x40, 0x12, 0x34}, 0}});
  image.put(88, pre);
  image.put(88 + pre.size(), post);
  image.header.ullPosZonePreTrig = 88;
  image.header.ullPosZonePostTrig = 88 + pre.size();
  image.header.ullLgZonePostTrig = post.size();
  image.header.ullPosTournantDebut = 88;
  image.header.ullPosTournantFin = 88 + pre.size() - 1;
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(walk(file_, true).frames.size(), 4u);

  // Equal bounds: nothing came before the trigger.
  image.header.ullPosTournantFin = 88;
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_EQ(file_.zones()[0].length(), 0u);
  EXPECT_EQ(walk(file_, true).frames.size(), 1u);
}

struct Corruption {
  const char* name;
  size_t byte;     // offset inside the second record
  uint8_t value;
  uint64_t bad_forward;  // offset the forward walk reports
};

TEST_F(AcqFileTest, CorruptRecordEndsTheWalkWithItsOffset) {
  // Second record starts at 106 (18 + 88); its trailing length is at 106 + 18.
  const Corruption cases[] = {
      {"length below 13", 0, 12, 106},
      {"length past the zone", 0, 0xFF, 106},
      {"trailing copy differs", 18, 0x21, 106},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileImage image;
    auto stream = test::stream_of(kThree);
    stream[18 + c.byte] = c.value;
    image.put(88, stream);
    image.header.ullLgZonePostTrig = stream.size();
    open(image);
    ASSERT_EQ(status_, AcqOpenStatus::Ok);
    const Walked fwd = walk(file_, true);
    EXPECT_EQ(fwd.end, WalkStatus::Invalid);
    EXPECT_EQ(fwd.frames.size(), 1u);
    EXPECT_EQ(fwd.invalid_offset, c.bad_forward);

    RecordCursor cursor(file_);
    FrameRecord rec;
    while (cursor.next(rec) == WalkStatus::Record) {
    }
    EXPECT_EQ(cursor.invalid_message(), "invalid end of data at offset " + std::to_string(c.bad_forward));
  }
}

TEST_F(AcqFileTest, BackwardWalkStopsAtACorruptTrailer) {
  FileImage image;
  auto stream = test::stream_of(kThree);
  stream[18 + 20 - 2] = 0x30;  // trailing length of the second record
  image.put(88, stream);
  image.header.ullLgZonePostTrig = stream.size();
  open(image);
  const Walked back = walk(file_, false);
  EXPECT_EQ(back.end, WalkStatus::Invalid);
  EXPECT_EQ(back.frames.size(), 1u);
  EXPECT_EQ(back.invalid_offset, 88u + 18 + 20 - 2);
}

TEST_F(AcqFileTest, TruncatedFileIsCutAtItsEnd) {
  FileImage image;
  const auto stream = test::stream_of(kThree);
  image.put(88, stream);
  image.header.ullLgZonePostTrig = stream.size();
  image.resize(88 + stream.size() - 5);  // the last record lost its end
  open(image);
  ASSERT_EQ(status_, AcqOpenStatus::Ok);
  EXPECT_TRUE(file_.truncated());
  const Walked fwd = walk(file_, true);
  EXPECT_EQ(fwd.end, WalkStatus::Invalid);
  EXPECT_EQ(fwd.frames.size(), 2u);
  EXPECT_EQ(fwd.invalid_offset, 88u + 18 + 20);
}

TEST_F(AcqFileTest, ZoneOverlappingTheHeaderIsRefused) {
  FileImage image;
  image.put(88, test::stream_of(kThree));
  image.header.ullPosZonePostTrig = 40;
  image.header.ullLgZonePostTrig = 20;
  open(image);
  EXPECT_EQ(status_, AcqOpenStatus::Invalid);

  image.header.ullPosZonePostTrig = 88;
  image.header.ullLgZonePostTrig = UINT64_MAX - 10;
  open(image);
  EXPECT_EQ(status_, AcqOpenStatus::Invalid);
}

TEST_F(AcqFileTest, SeekResumesAtARecordPosition) {
  FileImage image;
  const auto stream = test::stream_of(kThree);
  image.put(88, stream);
  image.header.ullLgZonePostTrig = stream.size();
  open(image);
  RecordCursor cursor(file_);
  FrameRecord rec;
  ASSERT_EQ(cursor.next(rec), WalkStatus::Record);
  ASSERT_EQ(cursor.next(rec), WalkStatus::Record);
  const RecordPos second = rec.at;
  cursor.seek(second);
  ASSERT_EQ(cursor.next(rec), WalkStatus::Record);
  EXPECT_EQ(rec.offset, 106u);
  cursor.seek(second);
  ASSERT_EQ(cursor.prev(rec), WalkStatus::Record);
  EXPECT_EQ(rec.offset, 88u);
}

}  // namespace
}  // namespace brv
