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
    {"circular start header, short of a sub-block",
     [] {
       FileImage image = interrupted_with({});
       image.header.ulLgBlocTournant = 4096;
       return image;
     },
     RepairStatus::Repairable, 3, 0},
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
    EXPECT_EQ(plan.recovered, kThreeBytes);
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

// A circular capture killed before its stop: `ecrits` records of the given lengths written in turn
// round the ring [88, 88 + Z), Z = `blocs` sub-blocks of `bloc` bytes, as the engine does.
struct RingCase {
  const char* name;
  uint32_t bloc;
  uint32_t blocs;
  std::vector<uint16_t> ecrits;
  size_t torn = 0;         // bytes of one more record cut short at the write point
  bool garbage = false;    // the stale partial record overwritten by bytes that are no record
  size_t kept;             // the newest records still whole
  uint64_t left_out;       // ring bytes before the oldest of them (or a torn tail that never wrapped)
};

// Dates and frame bytes never read as a length below 300 (no record where there is none), but
// for a record-like run of frame bytes in the longer records, which must not pass for a boundary.
TestRecord ring_record(size_t i, uint16_t lg) {
  TestRecord r{(i + 2) * 0x0101010101010101ULL, std::vector<uint8_t>(lg - kSurchargeEnreg, static_cast<uint8_t>(0xA0 + i)), 0};
  if (lg >= 70) ecrire_enreg(r.frame.data() + 20, 0x0505050505050505ULL, nullptr, 0, 0);
  return r;
}

const RingCase kRingCases[] = {
    {"never wrapped", 100, 3, {20, 30, 25, 40}, 0, false, 4, 0},
    {"never wrapped, torn tail", 100, 3, {20, 30, 25, 40}, 9, false, 4, 9},
    {"never wrapped, ends on a sub-block", 100, 3, {50, 50, 50, 50}, 0, false, 4, 0},
    {"write point in the middle", 100, 3, std::vector<uint16_t>(20, 40), 0, false, 7, 20},
    {"write point in the middle, torn write", 100, 3, std::vector<uint16_t>(20, 40), 9, false, 7, 20},
    {"write point at the zone's start", 100, 3, std::vector<uint16_t>(15, 40), 0, false, 7, 20},
    {"full ring, write point at the zone's start", 100, 3, std::vector<uint16_t>(12, 50), 0, false, 6, 0},
    {"full ring, write point in the middle", 100, 3, std::vector<uint16_t>(9, 50), 0, false, 6, 0},
    {"a record split across the wrap", 100, 3, std::vector<uint16_t>(8, 70), 0, false, 4, 20},
    {"garbage for the stale partial record", 100, 3, std::vector<uint16_t>(20, 40), 0, true, 7, 20},
    {"one whole record, split, among stale bytes", 50, 2, {60, 60}, 0, false, 1, 40},
    {"mixed lengths, many wraps", 100, 4, {13, 90, 27, 64, 13, 100, 41, 77, 13, 55, 90, 29, 31, 200, 14, 66, 19},
     0, false, 6, 41},
};

TEST_F(RepairTest, RecoversACircularCaptureFromItsOldestWholeRecordToItsNewest) {
  for (const RingCase& c : kRingCases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path_);
    std::filesystem::remove(CheminOriginal(path_));
    const uint64_t zone = uint64_t{c.bloc} * c.blocs;
    FileImage image(0);
    image.header = start_header();
    image.header.ulLgBlocTournant = c.bloc;
    std::vector<uint8_t> flux;
    for (size_t i = 0; i < c.ecrits.size(); ++i) {
      const auto b = test::record_bytes(ring_record(i, c.ecrits[i]));
      flux.insert(flux.end(), b.begin(), b.end());
    }
    const uint64_t ecriture = kTailleEntete + flux.size() % zone;
    if (c.torn != 0) {
      auto suite = test::record_bytes(ring_record(c.ecrits.size(), 60));
      suite.resize(c.torn);
      flux.insert(flux.end(), suite.begin(), suite.end());
    }
    if (flux.size() >= zone) {
      image.put_wrapped(kTailleEntete, zone, kTailleEntete, flux);
    } else {
      image.put(kTailleEntete, flux);
    }
    if (c.garbage) {
      const std::vector<uint8_t> motif(c.left_out, 0x0D);
      image.put_wrapped(kTailleEntete, zone, ecriture, motif);
    }
    image.save(path_);
    const auto original = slurp(path_);

    AcqFile file;
    ASSERT_EQ(file.open(path_), AcqOpenStatus::Ok) << file.detail();
    const RepairPlan plan = PlanifieReparation(file);
    ASSERT_EQ(plan.status, RepairStatus::Repairable) << plan.message;
    EXPECT_EQ(plan.records, c.kept);
    EXPECT_EQ(plan.left_out, c.left_out);
    uint64_t octets = 0;
    for (size_t i = c.ecrits.size() - c.kept; i < c.ecrits.size(); ++i) octets += c.ecrits[i];
    EXPECT_EQ(plan.recovered, octets);
    const std::string texte = TexteReparation(plan);
    EXPECT_NE(texte.find(std::to_string(c.left_out) + (plan.ring ? " bytes of the ring before the oldest" : " bytes after the last")),
              std::string::npos)
        << texte;

    std::string why;
    const std::string out = dir_.file("out.dat");
    ASSERT_TRUE(RepareVers(file, plan, out, why)) << why;
    ASSERT_TRUE(ReparePlace(path_, file, plan, why)) << why;
    file.close();
    const auto repaired = slurp(path_);
    EXPECT_EQ(slurp(out), repaired);
    // A ring keeps every byte; one that never wrapped loses no more than a torn tail.
    ASSERT_EQ(repaired.size(), original.size() - (plan.ring ? 0 : c.left_out));
    EXPECT_TRUE(std::equal(repaired.begin() + kTailleEntete, repaired.end(), original.begin() + kTailleEntete));

    AcqFile again;
    ASSERT_EQ(again.open(path_), AcqOpenStatus::Ok) << again.detail();
    EXPECT_EQ(again.layout(), AcqLayout::Circular);
    EXPECT_FALSE(again.interrupted());
    EXPECT_FALSE(again.truncated());
    RecordCursor cursor(again);
    FrameRecord rec;
    size_t i = c.ecrits.size() - c.kept;
    WalkStatus s;
    while ((s = cursor.next(rec)) == WalkStatus::Record) {
      ASSERT_LT(i, c.ecrits.size());
      const TestRecord attendu = ring_record(i, c.ecrits[i]);
      EXPECT_EQ(rec.date(), attendu.date) << "record " << i;
      EXPECT_EQ(std::vector<uint8_t>(rec.frame, rec.frame + rec.frame_len), attendu.frame) << "record " << i;
      ++i;
    }
    EXPECT_EQ(s, WalkStatus::End);
    EXPECT_EQ(i, c.ecrits.size());
  }
}

TEST_F(RepairTest, RefusesAPreTriggerCaptureSayingWhy) {
  FileImage image = interrupted_with({});
  image.header.ulLgBlocTournant = 310;
  image.header.ullPosZonePreTrig = kTailleEntete;
  image.header.ullPosZonePostTrig = kTailleEntete + 3410;
  image.save(path_);
  AcqFile file;
  ASSERT_EQ(file.open(path_), AcqOpenStatus::Ok);
  const RepairPlan plan = PlanifieReparation(file);
  EXPECT_EQ(plan.status, RepairStatus::Refused);
  EXPECT_EQ(plan.message.find("A pre-trigger capture cannot be recovered"), 0u) << plan.message;
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
