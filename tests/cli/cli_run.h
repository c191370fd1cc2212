#pragma once
// Runs brenvale-cli as an engineer would and captures what it prints and its exit status.

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brv::test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;

  std::vector<std::string> lines() const {
    std::vector<std::string> v;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
  }
};

inline std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command line and keeps its standard output and exit status (-1 when it did not exit).
inline CliResult run_shell(const std::string& cmd) {
  CliResult r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int raw = ::pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

inline CliResult run_cli(const std::vector<std::string>& args) {
  static TempDir dir;
  const std::string err_path = dir.file("stderr.txt");
  std::string cmd = quote(BRV_CLI_PATH);
  for (const auto& a : args) {
    cmd += ' ';
    cmd += quote(a);
  }
  cmd += " 2>";
  cmd += quote(err_path);
  CliResult r = run_shell(cmd);
  std::ifstream e(err_path);
  r.err.assign(std::istreambuf_iterator<char>(e), {});
  return r;
}

}  // namespace brv::test
