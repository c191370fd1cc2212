#pragma once
// Builds acquisition files byte by byte, so that tests place records exactly: split across a
// wrap, corrupt, or beyond the file's end.

#include <cstdint>
#include <string>
#include <vector>

#include <vandrel/acq_file.h>

#include "support/temp_dir.h"

namespace brv::test {

struct TestRecord {
  uint64_t date = 0;
  std::vector<uint8_t> frame;
  uint8_t status = 0;
};

inline std::vector<uint8_t> record_bytes(const TestRecord& r) {
  std::vector<uint8_t> out(r.frame.size() + vandrel::kSurchargeEnreg);
  vandrel::ecrire_enreg(out.data(), r.date, r.frame.data(), static_cast<uint16_t>(r.frame.size()), r.status);
  return out;
}

inline std::vector<uint8_t> stream_of(const std::vector<TestRecord>& records) {
  std::vector<uint8_t> out;
  for (const auto& r : records) {
    const auto b = record_bytes(r);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

inline vandrel::ENTETE_FICHIER finished_header() {
  vandrel::ENTETE_FICHIER h{};
  h.ulFormatEntete = vandrel::kFormatEntete;
  h.enEtatAcq = vandrel::FIN_NORMALE;
  h.enVitesse = vandrel::VITESSE_1M;
  h.bTramesTypeFip = 1;
  h.ullPosZonePostTrig = vandrel::kTailleEntete;
  return h;
}

class FileImage {
 public:
  explicit FileImage(size_t size = vandrel::kTailleEntete) : bytes_(size, 0xEE) {}

  vandrel::ENTETE_FICHIER header = finished_header();

  // Writes bytes at a file offset, growing the image as needed.
  void put(uint64_t offset, const std::vector<uint8_t>& data) {
    if (bytes_.size() < offset + data.size()) bytes_.resize(offset + data.size(), 0xEE);
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  }

  // Writes a logical byte run into the rotating zone [base, base + size), starting at physical
  // offset start and wrapping at the zone's end.
  void put_wrapped(uint64_t base, uint64_t size, uint64_t start, const std::vector<uint8_t>& data) {
    if (bytes_.size() < base + size) bytes_.resize(base + size, 0xEE);
    uint64_t at = start;
    for (uint8_t b : data) {
      bytes_[at] = b;
      if (++at == base + size) at = base;
    }
  }

  void resize(size_t size) { bytes_.resize(size, 0xEE); }
  std::vector<uint8_t>& bytes() { return bytes_; }

  void save(const std::string& path) {
    if (bytes_.size() < vandrel::kTailleEntete) {
      write_bytes(path, bytes_);
      return;
    }
    vandrel::ecrire_entete(header, bytes_.data());
    write_bytes(path, bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
};

// A record that cannot be: 14 bytes whose lengths say 7, below the smallest record.
inline std::vector<uint8_t> mismatched_record() {
  std::vector<uint8_t> r(14, 0);
  r[0] = 7;
  r[12] = 7;
  return r;
}

// A pre-trigger capture: its history, then the post-trigger records from the trigger on, with
// `after` behind them inside the post-trigger zone; the trigger came at dateTrig on the history's
// time base.
inline void save_pretrigger(const std::string& path, const std::vector<uint8_t>& pre, const std::vector<uint8_t>& post,
                            const std::vector<uint8_t>& after, uint64_t dateTrig) {
  FileImage image;
  image.put(88, pre);
  image.put(88 + pre.size(), post);
  image.put(88 + pre.size() + post.size(), after);
  image.header.ullPosZonePreTrig = 88;
  image.header.ullPosZonePostTrig = 88 + pre.size();
  image.header.ullLgZonePostTrig = post.size() + after.size();
  image.header.ullPosTournantDebut = 88;
  image.header.ullPosTournantFin = 88 + pre.size() - 1;
  image.header.ullDateTrig = dateTrig;
  image.save(path);
}

}  // namespace brv::test
