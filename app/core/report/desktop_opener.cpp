#include "brv_core/report/desktop_opener.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace brv {

COuvreurBureau::COuvreurBureau(std::string gestionnaire, std::string tableur)
    : gestionnaire_(std::move(gestionnaire)), tableur_(std::move(tableur)) {}

bool COuvreurBureau::SurLeChemin(const std::string& programme) {
  if (programme.find('/') != std::string::npos) return ::access(programme.c_str(), X_OK) == 0;
  const char* chemin = std::getenv("PATH");
  std::stringstream dossiers(chemin ? chemin : "");
  for (std::string d; std::getline(dossiers, d, ':');) {
    if (!d.empty() && ::access((std::filesystem::path(d) / programme).c_str(), X_OK) == 0) return true;
  }
  return false;
}

bool COuvreurBureau::Lance(const std::vector<std::string>& arguments) {
  if (arguments.empty() || !SurLeChemin(arguments[0])) return false;
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // The viewer outlives the export; a waiting thread reaps it when it ends, so no zombie is left.
  std::thread([pid] {
    int etat = 0;
    ::waitpid(pid, &etat, 0);
  }).detach();
  return true;
}

ProgrammesExport COuvreurBureau::Programmes() const { return {SurLeChemin(gestionnaire_), SurLeChemin(tableur_)}; }

bool COuvreurBureau::OuvreTraitementTexte(const std::string& fichier) { return Lance({gestionnaire_, fichier}); }

bool COuvreurBureau::OuvreTableur(const std::string& fichier) {
  if (SurLeChemin(tableur_)) return Lance({tableur_, "--calc", fichier});
  return Lance({gestionnaire_, fichier});
}

}  // namespace brv
