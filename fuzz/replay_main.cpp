// Replays a fuzz target's corpus without libFuzzer: every file given, or every regular file in the
// folders given, goes once through the target's entry point. A crash fails the run; so does an
// input that takes longer than the time allowed (a hang the fuzzer would report).

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr unsigned kSecondesParEntree = 20;
constexpr size_t kTailleMax = size_t{64} << 20;  // no corpus input comes near it

const char* g_courante = "";

void Expire(int) {
  // Only async-signal-safe calls here.
  const char debut[] = "replay: input took too long (a hang): ";
  (void)!::write(2, debut, sizeof debut - 1);
  (void)!::write(2, g_courante, std::strlen(g_courante));
  (void)!::write(2, "\n", 1);
  ::_exit(1);
}

bool Lit(const std::string& chemin, std::vector<uint8_t>& octets) {
  FILE* f = std::fopen(chemin.c_str(), "rb");
  if (f == nullptr) return false;
  octets.clear();
  uint8_t bloc[65536];
  size_t n;
  while ((n = std::fread(bloc, 1, sizeof bloc, f)) > 0) {
    if (octets.size() + n > kTailleMax) break;
    octets.insert(octets.end(), bloc, bloc + n);
  }
  const bool ok = !std::ferror(f) && octets.size() <= kTailleMax;
  std::fclose(f);
  return ok;
}

// Regular files only, in name order so that a failing run names the same input again.
bool Entrees(const std::string& chemin, std::vector<std::string>& fichiers) {
  struct stat st {};
  if (::stat(chemin.c_str(), &st) != 0) return false;
  if (S_ISREG(st.st_mode)) {
    fichiers.push_back(chemin);
    return true;
  }
  if (!S_ISDIR(st.st_mode)) return false;
  DIR* d = ::opendir(chemin.c_str());
  if (d == nullptr) return false;
  std::vector<std::string> noms;
  while (const dirent* e = ::readdir(d)) {
    const std::string nom = e->d_name;
    if (nom == "." || nom == "..") continue;
    const std::string complet = chemin + "/" + nom;
    if (::stat(complet.c_str(), &st) == 0 && S_ISREG(st.st_mode)) noms.push_back(complet);
  }
  ::closedir(d);
  std::sort(noms.begin(), noms.end());
  fichiers.insert(fichiers.end(), noms.begin(), noms.end());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> fichiers;
  for (int i = 1; i < argc; ++i) {
    if (!Entrees(argv[i], fichiers)) {
      std::fprintf(stderr, "replay: cannot read %s: %s\n", argv[i], std::strerror(errno));
      return 1;
    }
  }
  if (fichiers.empty()) {
    std::fprintf(stderr, "replay: no input to replay\n");
    return 1;
  }
  ::signal(SIGALRM, Expire);
  std::vector<uint8_t> octets;
  for (const std::string& f : fichiers) {
    if (!Lit(f, octets)) {
      std::fprintf(stderr, "replay: cannot read %s\n", f.c_str());
      return 1;
    }
    g_courante = f.c_str();
    ::alarm(kSecondesParEntree);
    LLVMFuzzerTestOneInput(octets.data(), octets.size());
    ::alarm(0);
  }
  std::printf("replayed %zu inputs\n", fichiers.size());
  return 0;
}
