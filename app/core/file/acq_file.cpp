#include "brv_core/file/acq_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <brv_platform/files.h>

#include "brv_core/file/data_end.h"

namespace brv {

using vandrel::kTailleEntete;

const char* layout_name(AcqLayout layout) {
  switch (layout) {
    case AcqLayout::Linear: return "linear";
    case AcqLayout::Circular: return "circular";
    case AcqLayout::Pretrigger: return "pretrig";
  }
  return "?";
}

uint64_t AcqZone::length() const {
  uint64_t total = 0;
  for (const auto& s : segments) total += s.length;
  return total;
}

uint64_t AcqZone::file_offset(uint64_t pos) const {
  for (const auto& s : segments) {
    if (pos < s.length) return s.offset + pos;
    pos -= s.length;
  }
  return segments.empty() ? 0 : segments.back().offset + segments.back().length + pos;
}

bool AcqZone::logical_position(uint64_t offset, uint64_t& pos) const {
  uint64_t avant = 0;
  for (const auto& s : segments) {
    if (offset >= s.offset && offset - s.offset < s.length) {
      pos = avant + (offset - s.offset);
      return true;
    }
    avant += s.length;
  }
  return false;
}

AcqFile::~AcqFile() { close(); }

void AcqFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

AcqOpenStatus AcqFile::fail(AcqOpenStatus status, std::string message, std::string detail) {
  close();
  zones_.clear();
  message_ = std::move(message);
  detail_ = std::move(detail);
  return status;
}

AcqOpenStatus AcqFile::follow(const vandrel::ENTETE_FICHIER& header) {
  if (fd_ < 0) return AcqOpenStatus::CannotOpen;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    return fail(AcqOpenStatus::CannotOpen, "Error opening the acquisition file.", platform::errno_text(errno));
  }
  file_size_ = static_cast<uint64_t>(st.st_size);
  zones_.clear();
  interrupted_ = truncated_ = false;
  header_ = header;
  if (!derive_zones()) return AcqOpenStatus::Invalid;
  return AcqOpenStatus::Ok;
}

AcqOpenStatus AcqFile::open(const std::string& path) {
  close();
  zones_.clear();
  interrupted_ = truncated_ = false;
  message_.clear();
  detail_.clear();

  std::string why;
  fd_ = platform::open_input(path, why, &file_size_);
  if (fd_ < 0) return fail(AcqOpenStatus::CannotOpen, "Error opening the acquisition file.", why);

  uint8_t raw[kTailleEntete];
  const int64_t got = file_size_ < kTailleEntete ? 0 : platform::read_at(fd_, raw, sizeof raw, 0);
  if (got < 0) return fail(AcqOpenStatus::CannotOpen, "Error opening the acquisition file.", platform::errno_text(errno));
  if (got != static_cast<int64_t>(sizeof raw)) {
    return fail(AcqOpenStatus::Invalid, "Acquisition file invalid.", "header shorter than 88 bytes");
  }
  header_ = vandrel::lire_entete(raw);
  if (header_.ulFormatEntete != vandrel::kFormatEntete) {
    return fail(AcqOpenStatus::Invalid, "Acquisition file invalid.",
                "header format word " + std::to_string(header_.ulFormatEntete) + ", expected 256");
  }
  if (!derive_zones()) return AcqOpenStatus::Invalid;
  return AcqOpenStatus::Ok;
}

void AcqFile::add_segment(AcqZone& zone, uint64_t begin, uint64_t end) {
  if (end > file_size_) {
    truncated_ = true;
    end = file_size_;
  }
  if (begin < end) zone.segments.push_back({begin, end - begin});
}

bool AcqFile::derive_zones() {
  const auto& h = header_;
  const auto bad = [this](std::string why) {
    fail(AcqOpenStatus::Invalid, "Acquisition file invalid.", std::move(why));
    return false;
  };
  const auto in = [](uint64_t v, uint64_t lo, uint64_t hi) { return v >= lo && v < hi; };

  if (h.ullPosZonePreTrig == kTailleEntete && h.ullPosZonePostTrig > kTailleEntete) {
    layout_ = AcqLayout::Pretrigger;
  } else if (h.ulLgBlocTournant != 0) {
    layout_ = AcqLayout::Circular;
  } else {
    layout_ = AcqLayout::Linear;
  }

  // Start header: never rewritten at stop, so its zero lengths say nothing of the data.
  if (entete_de_depart(h)) {
    interrupted_ = true;
    return true;
  }

  const uint64_t pos = h.ullPosZonePostTrig;
  const uint64_t lg = h.ullLgZonePostTrig;
  // A zone of length 0 overlaps nothing, wherever it is said to start.
  if (lg == 0 && layout_ != AcqLayout::Pretrigger) {
    zones_.push_back(AcqZone{"data", {}});
    return true;
  }
  if (pos < kTailleEntete) return bad("data zone at offset " + std::to_string(pos) + " overlaps the header");
  if (lg > UINT64_MAX - pos) return bad("data zone length " + std::to_string(lg) + " runs past 2^64");
  const uint64_t debut = h.ullPosTournantDebut;
  const uint64_t fin = h.ullPosTournantFin;

  if (layout_ == AcqLayout::Pretrigger) {
    AcqZone pre{"pre-trigger", {}};
    // Equal bounds mark an empty history: the writer only steps the end back onto the last byte
    // when something was written.
    if (debut != fin) {
      if (!in(debut, kTailleEntete, pos) || !in(fin, kTailleEntete, pos)) {
        return bad("pre-trigger bounds " + std::to_string(debut) + ".." + std::to_string(fin) +
                   " outside the pre-trigger zone [88, " + std::to_string(pos) + ")");
      }
      if (debut <= fin) {
        add_segment(pre, debut, fin + 1);
      } else {
        add_segment(pre, debut, pos);
        add_segment(pre, kTailleEntete, fin + 1);
      }
    }
    zones_.push_back(std::move(pre));
    AcqZone post{"post-trigger", {}};
    add_segment(post, pos, pos + lg);
    zones_.push_back(std::move(post));
    return true;
  }

  AcqZone data{"data", {}};
  if (layout_ == AcqLayout::Circular && lg != 0) {
    const uint64_t end = pos + lg;
    if (!in(debut, pos, end) || !in(fin, pos, end)) {
      return bad("circular bounds " + std::to_string(debut) + ".." + std::to_string(fin) + " outside the zone [" +
                 std::to_string(pos) + ", " + std::to_string(end) + ")");
    }
    if (debut <= fin) {
      add_segment(data, debut, fin + 1);
    } else {
      add_segment(data, debut, end);
      add_segment(data, pos, fin + 1);
    }
  } else {
    add_segment(data, pos, pos + lg);
  }
  zones_.push_back(std::move(data));
  return true;
}

int64_t AcqFile::read_zone(size_t z, uint64_t pos, uint8_t* buf, size_t n) const {
  if (fd_ < 0 || z >= zones_.size()) return 0;
  size_t done = 0;
  for (const auto& s : zones_[z].segments) {
    if (done == n) break;
    if (pos >= s.length) {
      pos -= s.length;
      continue;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(n - done, s.length - pos));
    const int64_t got = platform::read_at(fd_, buf + done, want, s.offset + pos);
    if (got < 0) return -1;
    done += static_cast<size_t>(got);
    if (static_cast<size_t>(got) < want) break;
    pos = 0;
  }
  return static_cast<int64_t>(done);
}

}  // namespace brv
