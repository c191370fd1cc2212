#pragma once
// Read-only access to an acquisition file: the checked header and its data zones,
// laid out in reading order whatever the layout (linear, circular, pre-trigger).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <vandrel/acq_file.h>

namespace brv {

enum class AcqLayout { Linear, Circular, Pretrigger };

// The line an engineer reads about an interrupted or truncated capture.
inline constexpr const char* kInterruptedText =
    "Interrupted acquisition: the file header was never completed, so the length of its data is unknown.";
inline constexpr const char* kTruncatedText = "The file is shorter than its header says: its last records are missing.";

const char* layout_name(AcqLayout layout);

// A stretch of the file that belongs to a zone.
struct ZoneSegment {
  uint64_t offset = 0;
  uint64_t length = 0;
};

// A zone as a reader sees it: its segments joined end to end form one logical byte run
// (a rotating zone that wrapped has two), in which records follow one another.
struct AcqZone {
  const char* name = "";
  std::vector<ZoneSegment> segments;

  uint64_t length() const;
  // File offset of a logical position (pos < length()).
  uint64_t file_offset(uint64_t pos) const;
  // The logical position of a file offset; false when the offset lies outside the zone.
  bool logical_position(uint64_t offset, uint64_t& pos) const;
};

enum class AcqOpenStatus {
  Ok,
  CannotOpen,  // the file could not be opened or read, or is not a regular file
  Invalid,     // short header, wrong format word or inconsistent zone positions
};

class AcqFile {
 public:
  AcqFile() = default;
  ~AcqFile();
  AcqFile(const AcqFile&) = delete;
  AcqFile& operator=(const AcqFile&) = delete;

  // Opens and checks the file. On failure message() is the program's text and detail() says why.
  AcqOpenStatus open(const std::string& path);
  void close();
  // Follows a capture being written: takes the header the engine keeps in memory (the one on
  // disk is rewritten only at the stop) and the file's current size. Zones grow with them.
  AcqOpenStatus follow(const vandrel::ENTETE_FICHIER& header);

  const vandrel::ENTETE_FICHIER& header() const { return header_; }
  AcqLayout layout() const { return layout_; }
  // Zones in reading order: the pre-trigger zone (pre-trigger layout only), then the data zone.
  const std::vector<AcqZone>& zones() const { return zones_; }
  uint64_t file_size() const { return file_size_; }

  // The header still holds its start values: the capture never went through its stop sequence,
  // so no data length is known and no zone is offered.
  bool interrupted() const { return interrupted_; }
  // The header places data beyond the end of the file; the zones were cut at the file's end.
  bool truncated() const { return truncated_; }

  const std::string& message() const { return message_; }
  const std::string& detail() const { return detail_; }

  // Reads up to n bytes at logical position pos of zone z; fewer only where the file ends, -1 on a
  // read error (errno kept).
  int64_t read_zone(size_t z, uint64_t pos, uint8_t* buf, size_t n) const;
  // The descriptor the file is read through (-1 when closed).
  int descriptor() const { return fd_; }

 private:
  AcqOpenStatus fail(AcqOpenStatus status, std::string message, std::string detail);
  bool derive_zones();
  void add_segment(AcqZone& zone, uint64_t begin, uint64_t end);

  int fd_ = -1;
  uint64_t file_size_ = 0;
  vandrel::ENTETE_FICHIER header_{};
  AcqLayout layout_ = AcqLayout::Linear;
  std::vector<AcqZone> zones_;
  bool interrupted_ = false;
  bool truncated_ = false;
  std::string message_;
  std::string detail_;
};

}  // namespace brv
