#pragma once
// What a capture of the simulated card is checked against: the frames of `records --json` and of
// the card's ground truth, and the shell lines that run a capture in the background.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <brv_core/config/configuration.h>
#include <brv_core/file/config_file.h>
#include <vandrel/vandrel.h>

#include "cli/cli_run.h"

namespace brv::test {

// What records --json and the ground truth have in common.
struct Frame {
  std::string hex;
  uint64_t status = 0;
  uint64_t date = 0;
};

inline std::string field(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  const size_t at = line.find(tag);
  if (at == std::string::npos) return {};
  size_t begin = at + tag.size();
  if (line[begin] == '"') return line.substr(begin + 1, line.find('"', begin + 1) - begin - 1);
  size_t end = line.find_first_of(",}", begin);
  return line.substr(begin, end - begin);
}

inline std::vector<Frame> frames_of(const std::vector<std::string>& lines) {
  std::vector<Frame> v;
  for (const auto& l : lines) {
    v.push_back(Frame{field(l, "hex"), std::stoull(field(l, "status")), std::stoull(field(l, "date"))});
  }
  return v;
}

inline std::vector<std::string> read_lines(const std::string& path) {
  std::vector<std::string> v;
  std::ifstream in(path);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// The records with the loss markers left out, `most` of them at most.
inline std::vector<Frame> without_markers(std::vector<Frame>::const_iterator begin, std::vector<Frame>::const_iterator end,
                                          size_t most = SIZE_MAX) {
  std::vector<Frame> frames;
  for (auto it = begin; it != end && frames.size() < most; ++it) {
    if (it->hex != "FCFC") frames.push_back(*it);
  }
  return frames;
}

// Whether the truth holds the first frames (`most` at most) at rank `at`, at the same intervals.
inline bool same_run_at(const std::vector<Frame>& frames, const std::vector<Frame>& truth, size_t at,
                        size_t most = 16) {
  const size_t run = std::min<size_t>(frames.size(), most);
  if (run == 0 || at + run > truth.size()) return false;
  for (size_t j = 0; j < run; ++j) {
    if (truth[at + j].hex != frames[j].hex || truth[at + j].date - truth[at].date != frames[j].date - frames[0].date) {
      return false;
    }
  }
  return true;
}

// The records equal the truth from rank `first` on, dates shifted by the same amount. A host that
// fell behind makes the card lose frames: the truth leaves them out, the capture marks the place
// with FC FC, and dates across the loss are taken afresh. The marker may stand before the last frame
// delivered ahead of the loss, so the two frames after it set the shift. Frames lost on the host
// side (delivered, then dropped there) are in the truth: at a marker, up to `max_lost` of them may
// be missing before the records go on with the truth.
inline void expect_run_of_truth(const std::vector<Frame>& records, const std::vector<Frame>& truth, size_t first,
                                size_t max_lost = 0) {
  ASSERT_FALSE(records.empty());
  size_t t = first;
  int resync = 1;
  size_t may_skip = 0;
  uint64_t shift = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].hex == "FCFC") {
      resync = 2;
      may_skip = max_lost;
      continue;
    }
    ASSERT_LT(t, truth.size()) << "record " << i;
    if (may_skip > 0) {
      const std::vector<Frame> ahead = without_markers(records.begin() + static_cast<std::ptrdiff_t>(i), records.end(), 16);
      // The frame just after the marker may be the last one before the loss: the interval to the
      // next one spans the loss.
      const bool last_before_loss = resync == 2 && records[i].hex == truth[t].hex;
      if (!last_before_loss && !same_run_at(ahead, truth, t)) {
        size_t skip = 1;
        while (skip <= may_skip && !same_run_at(ahead, truth, t + skip)) ++skip;
        ASSERT_LE(skip, may_skip) << "record " << i << ": the records after the marker do not go on with the truth";
        t += skip;
        may_skip = 0;
      }
    }
    if (resync > 0) {
      shift = records[i].date - truth[t].date;
      if (--resync == 0) may_skip = 0;
    }
    ASSERT_EQ(records[i].hex, truth[t].hex) << "record " << i;
    ASSERT_EQ(records[i].status, truth[t].status) << "record " << i;
    ASSERT_EQ(records[i].date - shift, truth[t].date) << "record " << i;
    ++t;
  }
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Where the records start in the truth: the first rank from which the frames before the first loss
// marker are the same frames at the same intervals; truth.size() when none. The whole stretch is
// compared, since a few frames alone may match a run of padding frames earlier in the truth.
inline size_t start_in_truth(const std::vector<Frame>& records, const std::vector<Frame>& truth) {
  size_t run = 0;
  while (run < records.size() && records[run].hex != "FCFC") ++run;
  if (run == 0) {
    // A marker first: the frames after it.
    const std::vector<Frame> rest(records.begin() + 1, records.end());
    return rest.empty() ? truth.size() : start_in_truth(rest, truth);
  }
  const std::vector<Frame> stretch(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(run));
  for (size_t i = 0; i < truth.size(); ++i) {
    if (same_run_at(stretch, truth, i, run)) return i;
  }
  return truth.size();
}

// The shell lines that start a capture in the background, keeping its output, errors and process id.
inline std::string background_capture(const std::string& args, const std::string& out, const std::string& err,
                               const std::string& pid) {
  return quote(BRV_CLI_PATH) + " capture " + args + " >" + quote(out) + " 2>" + quote(err) + " & " + pid + "=$!; ";
}

// Waits in the shell until the capture has told its progress state (30 s at most).
inline std::string until_said(const std::string& err, const std::string& text) {
  return "for i in $(seq 600); do grep -q " + quote(text) + " " + quote(err) + " 2>/dev/null && break; sleep 0.05; done; ";
}

// A configuration that triggers on a line glitch (the card's FD FD pseudo-frame), saved at cfg.
inline bool write_glitch_trigger(const std::string& cfg, const std::string& capture) {
  Configuration config;
  ConfigurationParDefaut(config, capture);
  CHAMP_BITS glitch;
  glitch.ucLongueur = 8;
  glitch.ulOperation = OP_EGAL;
  glitch.ullValeur = vandrel::PSEUDO_GLITCH;
  config.declenchement.defs[0].champs = {glitch};
  config.declenchement.nb = 1;
  return EnregistrerConfiguration(cfg, false, config) == ResultatConfiguration::Ok;
}

}  // namespace brv::test
