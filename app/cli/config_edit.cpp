#include "config_edit.h"

#include <unistd.h>

#include <brv_platform/files.h>

#include "brv_core/file/byte_stream.h"
#include "brv_core/file/config_file.h"
#include "output.h"

namespace brv::cli {

namespace {

// Bytes the configuration takes in a file of the given form.
uint64_t taille_fichier(const Configuration& c, bool apresCapture) {
  ByteWriter out;
  const FormeConfiguration forme{false, apresCapture};
  EcrireSectionAcquisition(out, c, forme);
  EcrireSectionAffichage(out, c, forme);
  return kLgMagieConfiguration + out.size();
}

}  // namespace

int charge_config(const std::string& chemin, bool apresCapture, ConfigEditee& f) {
  std::string pourquoi;
  uint64_t taille = 0;
  const int fd = platform::open_input(chemin, pourquoi, &taille);
  if (fd < 0) return fail(MessageConfiguration(ResultatConfiguration::ErreurOuverture), chemin + ": " + pourquoi);
  ::close(fd);

  f.chemin = chemin;
  std::vector<std::string> corrections;
  const ResultatConfiguration r = OuvrirConfiguration(chemin, apresCapture, f.config, &corrections);
  if (r != ResultatConfiguration::Ok) return fail(MessageConfiguration(r), chemin);
  // The reader keeps the form that consumes the file exactly; a file with bytes left over in
  // both would lose them when written again.
  const bool exacte[2] = {taille_fichier(f.config, false) == taille, taille_fichier(f.config, true) == taille};
  if (!exacte[0] && !exacte[1]) {
    return fail(MessageConfiguration(ResultatConfiguration::Invalide), chemin + ": bytes beyond the configuration");
  }
  f.apresCapture = exacte[0] && exacte[1] ? apresCapture : exacte[1];
  // Out-of-range values were replaced as the program does on opening; the file will keep the
  // replacements, so they are named.
  for (const std::string& note : corrections) fail(note, chemin);
  return 0;
}

int enregistre_config(const ConfigEditee& f) {
  const ResultatConfiguration r = EnregistrerConfiguration(f.chemin, f.apresCapture, f.config);
  return r == ResultatConfiguration::Ok ? 0 : fail(MessageConfiguration(r), f.chemin);
}

}  // namespace brv::cli
