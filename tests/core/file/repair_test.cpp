// Recovery of interrupted captures: which files are repaired, how far the whole records reach,
// and what the repaired file and the kept original hold.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <brv_platform/files.h>

#include "brv_core/decode/crc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/file/repair.h"
#include "support/capture_builder.h"

namespace brv {
namespace {

using test::FileImage;
using test::TestRecord;
using namespace vandrel;

const std::vector<TestRecord> kThree = {
    {0, {0x03, 0x90, 0x02, 0x9E, 0x06}, 0x04},
    {470, {0x02, 0x40, 0x02, 0x11, 0x22, 0x00, 0x00}, 0x00},
    {1100 | kMarqueFiltre, {0xFD, 0xFD}, STATUT_GLITCH},
};
const uint64_t kThreeBytes = test::stream_of(kThree).size();

// What the engine leaves on disk until its stop sequence rewrites the header.
ENTETE_FICHIER start_header() {
  ENTETE_FICHIER h = test::finished_header();
  h.enEtatAcq = ATTENTE_TRAFIC;
  h.ullLgZonePostTrig = 0;
  h.bTramesTypeFip = 0;  // learnt from the first frame, kept in memory until the stop
  return h;
}

FileImage interrupted_with(const std::vector<uint8_t>& after) {
  FileImage image;
  image.header = start_header();
  image.put(kTailleEntete, test::stream_of(kThree));
  image.put(kTailleEntete + kThreeBytes, after);
  return image;
}

std::vector<uint8_t> slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

uint64_t walk_count(const AcqFile& file) {
  RecordCursor cursor(file);
  FrameRecord rec;
  uint64_t n = 0;
  WalkStatus s;
  while ((s = cursor.next(rec)) == WalkStatus::Record) ++n;
  EXPECT_EQ(s, WalkStatus::End);
  return n;
}

// A frame whose check bytes are right under WorldFIP framing only.
TestRecord worldfip_frame() {
  TestRecord r{0, {0x03, 0x90, 0x02}, 0};
  const uint16_t crc = CrcTrame(false, r.frame.data(), r.frame.size());
  r.frame.push_back(static_cast<uint8_t>(crc >> 8));
  r.frame.push_back(static_cast<uint8_t>(crc));
  return r;
}

struct Case {
  const char* name;
  std::function<FileImage()> make;
  RepairStatus status;
  uint64_t records;
  uint64_t left_out;
  uint8_t fip = 1;  // kThree's checked frame is a FIP one
};

const Case kCases[] = {
    {"start header, whole records", [] { return interrupted_with({}); }, RepairStatus::Repairable, 3, 0},
    {"cut in the middle of a record",
     [] {
       auto next = test::record_bytes({2000, {0x01, 0x02, 0x03, 0x04}, 0});
       next.resize(9);
       return interrupted_with(next);
     },
     RepairStatus::Repairable, 3, 9},
    {"garbage after the last record", [] { return interrupted_with(std::vector<uint8_t>(40, 0xEE)); },
     RepairStatus::Repairable, 3, 40},
    {"trailing length differs",
     [] {
       auto next = test::record_bytes({2000, {0x01, 0x02, 0x03, 0x04}, 0});
       next.back() ^= 0x01;
       return interrupted_with(next);
     },
     RepairStatus::Repairable, 3, 17},
    {"length below the minimum",
     [] { return interrupted_with({12, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 0, 0}); }, RepairStatus::Repairable, 3, 14},
    {"WorldFIP frames",
     [] {
       FileImage image;
       image.header = start_header();
       image.put(kTailleEntete, test::stream_of({worldfip_frame(), kThree[1], kThree[2]}));
       return image;
     },
     RepairStatus::Repairable, 3, 0, 0},
    {"already complete",
     [] {
       FileImage image;
       image.header.ullLgZonePostTrig = kThreeBytes;
       image.put(kTailleEntete, test::stream_of(kThree));
       return image;
     },
     RepairStatus::NothingToRepair, 0, 0},
    {"damaged first record",
     [] {
       FileImage image = interrupted_with({});
       image.bytes()[kTailleEntete + 17] ^= 0x40;  // trailing length of the first record
       return image;
     },
     RepairStatus::NothingRecoverable, 0, 0},
    {"header alone", [] {
       FileImage image;
       image.header = start_header();
       return image;
     },
     RepairStatus::NothingRecoverable, 0, 0},
    {"circular start header",
     [] {
       FileImage image = interrupted_with({});
       image.header.ulLgBlocTournant = 4096;
       return image;
     },
     RepairStatus::Refused, 0, 0},
    {"pre-trigger start header",
     [] {
       FileImage image = interrupted_with({});
       image.header.ullPosZonePreTrig = kTailleEntete;
       image.header.ullPosZonePostTrig = kTailleEntete + 3100;
       return image;
     },
     RepairStatus::Refused, 0, 0},
};

class RepairTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string path_ = dir_.file("capture.dat");
};

TEST_F(RepairTest, FindsTheWholeRecordsAndRepairsOnlyTheHeaderAndWhatFollowsThem) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path_);
    std::filesystem::remove(CheminOriginal(path_));
    std::filesystem::remove(dir_.file("out.dat"));
    FileImage image = c.make();
    image.save(path_);
    const auto original = slurp(path_);

    AcqFile file;
    ASSERT_EQ(file.open(path_), AcqOpenStatus::Ok) << file.detail();
    const RepairPlan plan = PlanifieReparation(file);
    ASSERT_EQ(plan.status, c.status) << plan.message;
    std::string why;
    if (c.status != RepairStatus::Repairable) {
      EXPECT_FALSE(plan.message.empty());
      EXPECT_FALSE(ReparePlace(path_, file, plan, why));
      EXPECT_FALSE(RepareVers(file, plan, dir_.file("out.dat"), why));
      EXPECT_EQ(slurp(path_), original);
      EXPECT_FALSE(std::filesystem::exists(CheminOriginal(path_)));
      EXPECT_FALSE(std::filesystem::exists(dir_.file("out.dat")));
      continue;
    }
    EXPECT_EQ(plan.records, c.records);
    EXPECT_EQ(plan.data_end, kTailleEntete + kThreeBytes);
    EXPECT_EQ(plan.left_out, c.left_out);

    const std::string out = dir_.file("out.dat");
    ASSERT_TRUE(RepareVers(file, plan, out, why)) << why;
    ASSERT_TRUE(ReparePlace(path_, file, plan, why)) << why;
    file.close();
    EXPECT_EQ(slurp(CheminOriginal(path_)), original);
    const auto repaired = slurp(path_);
    EXPECT_EQ(slurp(out), repaired);
    ASSERT_EQ(repaired.size(), plan.data_end);
    // Only the header changed among the bytes kept.
    EXPECT_TRUE(std::equal(repaired.begin() + kTailleEntete, repaired.end(), original.begin() + kTailleEntete));

    AcqFile again;
    ASSERT_EQ(again.open(path_), AcqOpenStatus::Ok);
    EXPECT_FALSE(again.interrupted());
    EXPECT_FALSE(again.truncated());
    EXPECT_EQ(again.header().enEtatAcq, FIN_NORMALE);
    EXPECT_EQ(again.header().enVitesse, image.header.enVitesse);
    EXPECT_EQ(again.header().bTramesTypeFip, c.fip);
    EXPECT_EQ(walk_count(again), c.records);
    EXPECT_EQ(PlanifieReparation(again).status, RepairStatus::NothingToRepair);
  }
}

TEST_F(RepairTest, NeverOverwritesAKeptOriginalNorWritesOntoTheInput) {
  interrupted_with({1, 2, 3}).save(path_);
  const auto original = slurp(path_);
  AcqFile file;
  ASSERT_EQ(file.open(path_), AcqOpenStatus::Ok);
  const RepairPlan plan = PlanifieReparation(file);
  ASSERT_EQ(plan.status, RepairStatus::Repairable);

  test::write_bytes(CheminOriginal(path_), {7});
  std::string why;
  EXPECT_FALSE(ReparePlace(path_, file, plan, why));
  EXPECT_NE(why.find("exists already"), std::string::npos) << why;
  EXPECT_EQ(slurp(CheminOriginal(path_)), std::vector<uint8_t>{7});

  std::filesystem::create_hard_link(path_, dir_.file("hard.dat"));
  EXPECT_FALSE(RepareVers(file, plan, dir_.file("hard.dat"), why));
  EXPECT_NE(why.find("is also an input"), std::string::npos) << why;
  EXPECT_FALSE(RepareVers(file, plan, path_, why));
  EXPECT_EQ(slurp(path_), original);

  // A file put in place of the one examined is left alone.
  std::filesystem::remove(CheminOriginal(path_));
  std::filesystem::remove(path_);
  test::write_bytes(path_, original);
  EXPECT_FALSE(ReparePlace(path_, file, plan, why));
  EXPECT_FALSE(std::filesystem::exists(CheminOriginal(path_)));
}

TEST_F(RepairTest, LeavesAFileThatACaptureWritesOrThatChangedSinceItWasExamined) {
  interrupted_with({}).save(path_);
  const auto original = slurp(path_);
  // What a running capture holds on its file.
  const int capture = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(capture, 0);
  ASSERT_EQ(::flock(capture, LOCK_EX | LOCK_NB), 0);
  AcqFile file;
  ASSERT_EQ(file.open(path_), AcqOpenStatus::Ok);
  const RepairPlan refused = PlanifieReparation(file);
  EXPECT_EQ(refused.status, RepairStatus::Refused);
  EXPECT_NE(refused.message.find("A capture is writing this file"), std::string::npos) << refused.message;

  ::flock(capture, LOCK_UN);
  const RepairPlan plan = PlanifieReparation(file);
  ASSERT_EQ(plan.status, RepairStatus::Repairable);
  std::string why;
  ASSERT_EQ(::flock(capture, LOCK_EX | LOCK_NB), 0);  // taken between the examination and the repair
  EXPECT_FALSE(ReparePlace(path_, file, plan, why));
  EXPECT_NE(why.find("A capture is writing this file"), std::string::npos) << why;
  ::flock(capture, LOCK_UN);

  const uint8_t more[] = {13, 0};
  ASSERT_TRUE(platform::write_all_at(capture, more, sizeof more, original.size()));  // it went on writing
  ::close(capture);
  EXPECT_FALSE(ReparePlace(path_, file, plan, why));
  EXPECT_NE(why.find("no longer the file that was examined"), std::string::npos) << why;
  EXPECT_FALSE(std::filesystem::exists(CheminOriginal(path_)));
  EXPECT_EQ(slurp(path_).size(), original.size() + sizeof more);
}

}  // namespace
}  // namespace brv
