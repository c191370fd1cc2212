#include "user_data_load.h"

#include "output.h"

namespace brv::cli {

int load_user_data(const std::string& path, std::vector<DONNEE_UTILISATEUR>& list) {
  const LectureDonneesUtilisateur r = LitDonneesUtilisateur(path, list);
  if (r.resultat == LectureDonneesUtilisateur::Ok) return 0;
  return fail(r.message, r.pourquoi.empty() ? path : path + ": " + r.pourquoi);
}

}  // namespace brv::cli
