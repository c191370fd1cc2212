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

// The records equal the truth from rank `first` on, dates shifted by the same amount. A host that
// fell behind makes the card lose frames: the truth leaves them out, the capture marks the place
// with FC FC, and dates across the loss are taken afresh. The marker may stand before the last frame
// delivered ahead of the loss, so the two frames after it set the shift.
inline void expect_run_of_truth(const std::vector<Frame>& records, const std::vector<Frame>& truth, size_t first) {
  ASSERT_FALSE(records.empty());
  size_t t = first;
  int resync = 1;
  uint64_t shift = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].hex == "FCFC") {
      resync = 2;
      continue;
    }
    ASSERT_LT(t, truth.size()) << "record " << i;
    if (resync > 0) {
      shift = records[i].date - truth[t].date;
      --resync;
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
    std::vector<Frame> rest(records.begin() + 1, records.end());
    return rest.empty() ? truth.size() : start_in_truth(rest, truth);
  }
  for (size_t i = 0; i + run <= truth.size(); ++i) {
    bool same = true;
    for (size_t j = 0; j < run && same; ++j) {
      same = truth[i + j].hex == records[j].hex &&
             truth[i + j].date - truth[i].date == records[j].date - records[0].date;
    }
    if (same) return i;
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
