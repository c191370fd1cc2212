// records: the frame records of a capture in reading order, or backwards.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "brv_core/file/capture_info.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/file/record_text.h"
#include "capture_open.h"
#include "commands.h"
#include "number_options.h"
#include "output.h"

namespace brv::cli {

namespace {

struct RecordsArgs {
  std::string path;
  bool reverse = false;
  uint64_t from = 0;
  std::optional<uint64_t> count;
  bool json = false;
};

// A record copied out of the cursor's buffer, for the one-record delay of the backward walk.
struct HeldRecord {
  FrameRecord rec;
  std::string bytes;
  void hold(const FrameRecord& r) {
    rec = r;
    bytes.assign(reinterpret_cast<const char*>(r.frame), r.frame_len);
    rec.frame = reinterpret_cast<const uint8_t*>(bytes.data());
  }
};

class Lister {
 public:
  Lister(const RecordsArgs& args, const AcqFile& file)
      : args_(args), file_(file), capture_(capture_description(file.header())), decoder_(capture_) {}

  // Lists one record if it falls in the requested window; false once the window is done.
  bool list(int64_t index, const FrameRecord& rec, const PreviousRecord& previous) {
    // Nobody reads what would follow a failed write.
    if (output_failed()) return false;
    const uint64_t k = seen_++;
    if (k < args_.from) return true;
    if (args_.count && k - args_.from >= *args_.count) return false;
    describe_record(decoder_, file_, rec, previous, false, text_);
    line_.clear();
    if (args_.json) {
      line_ += "{\"index\": " + std::to_string(index) + ", \"offset\": " + std::to_string(rec.offset) +
               ", \"date\": " + std::to_string(rec.date()) +
               ", \"filter_mark\": " + (rec.filter_mark() ? "true" : "false") +
               ", \"status\": " + std::to_string(rec.status) + ", \"hex\": \"";
      append_hex_bytes(line_, rec.frame, rec.frame_len);
      line_ += "\", \"result\": " + std::to_string(static_cast<int>(text_.result)) + ", \"text\": ";
      append_json_string(line_, text_.text);
      line_ += ", \"annotation\": ";
      append_json_string(line_, text_.annotation);
      line_ += ", \"reldate\": ";
      append_json_string(line_, text_.reldate);
      line_ += ", \"interframe\": ";
      append_json_string(line_, text_.interframe);
      line_ += "}\n";
    } else {
      char status[8];
      std::snprintf(status, sizeof status, "%02X", rec.status);
      line_ += std::to_string(index) + "\t" + std::to_string(rec.offset) + "\t" + std::to_string(rec.date()) +
               (rec.filter_mark() ? "*" : "") + "\t" + text_.reldate + "\t" + text_.interframe + "\t" + status +
               "\t" + NomErreurTrame(text_.result) + "\t" + text_.text;
      if (!text_.annotation.empty()) line_ += "\t" + text_.annotation;
      line_ += "\n";
    }
    emit(line_);
    return true;
  }

 private:
  const RecordsArgs& args_;
  const AcqFile& file_;
  DescriptionCapture capture_;
  CDecodageTrame decoder_;
  RecordText text_;
  std::string line_;
  uint64_t seen_ = 0;
};

int list_forward(const RecordsArgs& args, const AcqFile& file, RecordCursor& cursor) {
  Lister lister(args, file);
  FrameRecord rec;
  PreviousRecord previous;
  int64_t index = 0;
  WalkStatus st;
  while ((st = cursor.next(rec)) == WalkStatus::Record) {
    if (!lister.list(index++, rec, previous)) return 0;
    previous = previous_of(file, rec);
  }
  return st == WalkStatus::Invalid ? fail(cursor.invalid_message()) : 0;
}

int list_backward(const RecordsArgs& args, const AcqFile& file, RecordCursor& cursor) {
  // Indexes stay those of the forward order when a forward walk can count the records;
  // otherwise they count back from the end (-1 is the last record).
  int64_t index = -1;
  {
    RecordCursor counter(file);
    FrameRecord rec;
    int64_t n = 0;
    WalkStatus st;
    while ((st = counter.next(rec)) == WalkStatus::Record) ++n;
    if (st == WalkStatus::End) index = n - 1;
  }

  // A record's inter-frame time needs the one before it, which the backward walk meets next.
  Lister lister(args, file);
  HeldRecord held;
  bool holding = false;
  FrameRecord rec;
  WalkStatus st;
  while ((st = cursor.prev(rec)) == WalkStatus::Record) {
    if (holding && !lister.list(index--, held.rec, previous_of(file, rec))) return 0;
    held.hold(rec);
    holding = true;
  }
  if (st == WalkStatus::Invalid) {
    // The record before the held one is unreadable: show the held one without inter-frame time.
    if (holding) lister.list(index, held.rec, PreviousRecord{});
    return fail(cursor.invalid_message());
  }
  if (holding) lister.list(index, held.rec, PreviousRecord{});
  return 0;
}

}  // namespace

Runner add_records_command(CLI::App& app) {
  auto args = std::make_shared<RecordsArgs>();
  auto* cmd = app.add_subcommand("records", "List the frame records of an acquisition file");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_flag("--reverse", args->reverse, "List backwards, from the last record");
  whole_number(cmd->add_option("--from", args->from, "Skip this many records first"), 0);
  whole_number(cmd->add_option("--count", args->count, "List at most this many records"), 0);
  cmd->add_flag("--json", args->json, "Write JSON Lines");

  return [args]() -> int {
    AcqFile file;
    if (const int status = open_capture(args->path, file)) return status;
    if (const int status = refuse_interrupted(file)) return status;
    RecordCursor cursor(file);
    if (args->reverse) {
      cursor.seek_end();
      return list_backward(*args, file, cursor);
    }
    return list_forward(*args, file, cursor);
  };
}

}  // namespace brv::cli
