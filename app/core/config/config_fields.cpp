#include "brv_core/config/config_fields.h"

#include <cstring>

#include "brv_core/config/acq_pages.h"

namespace brv {

std::string NomDefinition(const DEFINITION_TRAME& d) {
  return std::string(d.szNom.data(), strnlen(d.szNom.data(), d.szNom.size()));
}

std::string DebutNom(std::string_view nom, size_t max) {
  if (nom.size() <= max) return std::string(nom);
  size_t n = max;
  // Back to the first byte of the character the cut would split.
  while (n > 0 && (static_cast<unsigned char>(nom[n]) & 0xC0) == 0x80) --n;
  return std::string(nom.substr(0, n));
}

void DefinitNom(DEFINITION_TRAME& d, const std::string& nom) {
  d.szNom.fill('\0');
  const std::string debut = DebutNom(nom, d.szNom.size() - 1);
  std::memcpy(d.szNom.data(), debut.data(), debut.size());
}

namespace {

class Liste {
 public:
  explicit Liste(std::vector<ChampConfiguration>& out) : out_(out) {}
  void num(const std::string& nom, uint64_t v) { out_.push_back({nom, std::to_string(v), true}); }
  void txt(const std::string& nom, std::string v) { out_.push_back({nom, std::move(v), false}); }
  void duree(const std::string& nom, const DureeJHMS& d) {
    num(nom + ".days", d.jours);
    num(nom + ".hours", d.heures);
    num(nom + ".minutes", d.minutes);
    num(nom + ".seconds", d.secondes);
  }
  void triplet(const std::string& nom, const TripletBourrage& t) {
    num(nom + ".on", t.bActif);
    num(nom + ".identifier", t.ulIdentifiant);
    num(nom + ".delete_frames", t.bFiltreAcq);
  }
  void integration(const std::string& nom, const TempsIntegration& t) {
    num(nom + ".value", t.ulValeur);
    num(nom + ".unit", t.ucUnite);
    num(nom + ".ns", t.ullNs);
  }
  void table(const std::string& nom, const TableDefinitions& t, JeuDefinitions jeu) {
    num(nom + ".count", t.nb);
    for (size_t i = 0; i < t.nb && i < t.defs.size(); ++i) {
      const DEFINITION_TRAME& d = t.defs[i];
      const std::string p = nom + "[" + std::to_string(i) + "]";
      txt(p + ".name", NomDefinition(d));
      num(p + ".frame_type", d.ucTypeTrame);
      num(p + ".identifier", d.usIdentifiant);
      num(p + ".byte_order", d.ulOrdreOctets);
      if (jeu == JeuDefinitions::Filtre) num(p + ".do_not_dissociate_rp", d.bNePasDissocierRP);
      if (jeu != JeuDefinitions::Declenchement) num(p + ".in_use", d.bUtilisee);
      num(p + ".fields.count", d.champs.size());
      for (size_t c = 0; c < d.champs.size(); ++c) {
        const CHAMP_BITS& f = d.champs[c];
        const std::string q = p + ".fields[" + std::to_string(c) + "]";
        num(q + ".position", f.usPosition);
        num(q + ".length", f.ucLongueur);
        num(q + ".operation", f.ulOperation);
        num(q + ".value", f.ullValeur);
        num(q + ".interpretation", f.ulInterpretation);
        num(q + ".signed", f.bSigne);
        num(q + ".order", f.ulOrdre);
      }
    }
  }

 private:
  std::vector<ChampConfiguration>& out_;
};

}  // namespace

std::vector<ChampConfiguration> ChampsConfiguration(const Configuration& c, bool avecExtras) {
  std::vector<ChampConfiguration> out;
  Liste l(out);
  l.txt("acquisition.path", c.cheminFichierAcq);
  l.num("acquisition.start_action", c.ulActionDebut);
  l.num("post_trigger.continuous", c.postTrig.bContinue);
  l.num("post_trigger.size_selected", c.postTrig.bTailleChoisie);
  l.num("post_trigger.size", c.postTrig.ullTaille);
  l.num("post_trigger.size_unit", c.postTrig.ucUnite);
  l.num("post_trigger.size_bytes", c.postTrig.taille_octets());
  l.num("post_trigger.duration_selected", c.postTrig.bDureeChoisie);
  l.duree("post_trigger.duration", c.postTrig.duree);
  l.num("pre_trigger.selected", c.preTrig.bPreTrig);
  l.num("pre_trigger.method", c.preTrig.ucMethode);
  l.num("pre_trigger.percentage", PourcentagePreTrig(c.preTrig));
  l.num("pre_trigger.frames", c.preTrig.ulNbTrames);
  l.duree("pre_trigger.duration", c.preTrig.duree);
  l.num("pre_trigger.equivalent_size", c.preTrig.ullTailleEquivalente);
  l.table("trigger", c.declenchement, JeuDefinitions::Declenchement);
  l.num("trigger.method", c.ucMethodeDeclenchement);
  l.num("trigger.frame_filtering", c.bFiltrageTrames);
  l.num("deferred_start.on", c.differe.bActif);
  l.duree("deferred_start.delay", c.differe.delai);
  l.triplet("acquisition.padding", c.bourrageAcq);
  l.num("acquisition.channel", c.ulVoie);
  l.integration("views.network_configuration_time", c.vues.configReseau);
  l.integration("views.data_rate_time", c.vues.debitInstantane);
  l.num("views.stored_points", c.vues.usNbPointsMemorises);
  l.num("views.open_automatically", c.vues.bOuvertureAuto);
  l.table("filter", c.filtre, JeuDefinitions::Filtre);
  l.num("filter.mode", c.ulModeFiltre);
  l.table("events", c.evenements, JeuDefinitions::Evenement);
  l.triplet("display.padding", c.bourrageAffichage);
  if (avecExtras) {
    l.num("embedded.before_acquisition", c.extras.ulAvantAcquisition);
    l.num("embedded.after_filter_mode[0]", c.extras.apresModeFiltre[0]);
    l.num("embedded.after_filter_mode[1]", c.extras.apresModeFiltre[1]);
  }
  return out;
}

}  // namespace brv
