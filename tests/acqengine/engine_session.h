#pragma once
// An acquisition engine connected to a simulated card of its own, with the means to run a capture
// and read the file back as the program's reader does.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <brv_core/file/acq_file.h>
#include <brv_core/file/record_cursor.h>
#include <kestrin/usb_ftd2xx_com.h>
#include <simcard/simcard.h>
#include <vandrel/vandrel.h>

#include "../../acqengine/src/engine_state.h"
#include "support/temp_dir.h"

namespace brv::test {

// The engine with its test-only settings and its state record within reach.
class TestVandrel : public CVandrel {
 public:
  TestVandrel() : CVandrel(0) {}
  vandrel::VandrelReglagesTest& reglages() { return m_reglages_test; }
  vandrel::VandrelState& interne() { return *pldi; }
  using CVandrel::compare_frames;
  using CVandrel::recalcule_dateR;
};

struct Record {
  std::vector<uint8_t> bytes;
  uint8_t status = 0;
  uint64_t date = 0;
  bool filter_mark = false;
  uint64_t offset = 0;  // file offset of its first byte
  uint16_t length = 0;
  uint32_t zone = 0;    // 0 pre-trigger, 1 post-trigger in a pre-trigger capture
};

struct ReadBack {
  AcqOpenStatus open = AcqOpenStatus::CannotOpen;
  vandrel::ENTETE_FICHIER header{};
  std::vector<Record> records;
  AcqLayout layout = AcqLayout::Linear;
  bool clean = false;  // every zone walked to its end without an invalid record
  std::string problem;
};

inline ReadBack read_capture(const std::string& path) {
  ReadBack r;
  AcqFile file;
  r.open = file.open(path);
  if (r.open != AcqOpenStatus::Ok) {
    r.problem = file.message() + " " + file.detail();
    return r;
  }
  r.header = file.header();
  r.layout = file.layout();
  RecordCursor cursor(file);
  cursor.seek_begin();
  FrameRecord rec;
  for (;;) {
    const WalkStatus st = cursor.next(rec);
    if (st == WalkStatus::End) {
      r.clean = !file.truncated();
      if (file.truncated()) r.problem = "truncated";
      break;
    }
    if (st == WalkStatus::Invalid) {
      r.problem = cursor.invalid_message();
      break;
    }
    r.records.push_back(Record{std::vector<uint8_t>(rec.frame, rec.frame + rec.frame_len), rec.status, rec.date(),
                               rec.filter_mark(), rec.offset, rec.length, rec.at.zone});
  }
  return r;
}

// Conditions the tests trigger on: the control byte, and the whole 16-bit identifier of an
// ID_DAT frame (bytes 1 and 2).
inline vandrel::struct_CHAMP_BIT_SYNCHRO control_is(uint8_t v) {
  vandrel::struct_CHAMP_BIT_SYNCHRO c{};
  c.ucLgValBit = 8;
  c.enLgInterpretationVal = vandrel::LG_8;
  c.enOperation = vandrel::OP_EQUAL;
  c.ullValeur = v;
  return c;
}
inline vandrel::struct_CHAMP_BIT_SYNCHRO identifier_is(uint16_t id) {
  vandrel::struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = 8;
  c.ucLgValBit = 16;
  c.enLgInterpretationVal = vandrel::LG_16;
  c.enOperation = vandrel::OP_EQUAL;
  c.ullValeur = id;
  return c;
}

inline simcard::Scenario fast_scenario(const std::string& serial, const std::string& preset = "clean") {
  simcard::Scenario s = *simcard::preset(preset);
  s.serial = serial;
  s.pacing = simcard::Pacing::AsFastAsPossible;
  s.max_fps = 100000;  // far above a real bus, and within what a sanitizer build keeps up with
  return s;
}

class EngineSession {
 public:
  explicit EngineSession(const simcard::Scenario& sc, bool truth = true)
      : card(simcard::register_simulated_card(sc)), path(dir.file("acq.dat")) {
    card->record_ground_truth(truth);
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    EXPECT_EQ(found.size(), 1u);
    if (!found.empty()) connect_result = engine.connect(static_cast<unsigned char>(found[0]->m_index));
  }
  ~EngineSession() {
    engine.stop_acquisition();
    engine.disconnect();
    ftd2xx::unregister_virtual_device(card);
  }

  // A free-run block: linear file of `size` bytes at path.
  vandrel::ParametresAcq free_run(uint64_t size, bool circular = false) const {
    vandrel::ParametresAcq p;
    p.ini.enTypeAcq = vandrel::SANS_SYN;
    p.ini.bAcqContinue = circular ? 1 : 0;
    p.ini.ullLgZonePostTrig = size;
    p.chemin = path;
    return p;
  }

  unsigned long start(const vandrel::ParametresAcq& p) {
    const std::vector<uint8_t> block = vandrel::construit_ini_acq(p);
    return engine.start_acquisition(block.data(), static_cast<unsigned long>(block.size()));
  }

  vandrel::ENTETE_FICHIER header() {
    uint8_t bytes[vandrel::kTailleEntete];
    EXPECT_EQ(engine.get_header_file(bytes, sizeof bytes), vandrel::kTailleEntete);
    return vandrel::lire_entete(bytes);
  }
  uint32_t state() { return header().enEtatAcq; }

  // Polls the header until pred holds; false after the time-out.
  bool wait_for(const std::function<bool(const vandrel::ENTETE_FICHIER&)>& pred,
                std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      if (pred(header())) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  bool wait_final(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return wait_for([](const vandrel::ENTETE_FICHIER& h) { return vandrel::etat_final(h.enEtatAcq); }, timeout);
  }

  // Frames the card delivered, in order.
  std::vector<simcard::TruthFrame> delivered() const {
    std::vector<simcard::TruthFrame> out;
    for (auto& f : card->ground_truth()) {
      if (f.delivered) out.push_back(f);
    }
    return out;
  }

  TempDir dir;
  std::shared_ptr<simcard::SimCard> card;
  TestVandrel engine;
  std::string path;
  unsigned long connect_result = 1;
};

}  // namespace brv::test
