#include "config_settings.h"

#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

#include "brv_core/config/acq_pages.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/config/views_page.h"

namespace brv::cli {

namespace {

// Owners of the keys: the acquisition pages (PageAcq), then these two.
constexpr int kPageVues = kNbPagesAcq;
constexpr int kSansPage = kNbPagesAcq + 1;
constexpr int kNbProprietaires = kNbPagesAcq + 2;

// The pages as the sheets would hold them once the settings are typed in.
struct Feuille {
  SaisiePageFichier fichier;
  SaisiePagePostTrig post;
  SaisiePagePreTrig pre;
  SaisiePageDiffere differe;
  SaisiePageAutres autres;
  SaisiePageVues vues;
  Configuration* direct = nullptr;  // the fields no page owns
  // What the settings said about the choices that depend on one another.
  std::optional<bool> taille, duree, bourrage;
};

struct Valeur {
  std::string texte;  // as given for a text, the decimal digits for a number
  uint64_t n = 0;
};

enum class Forme { Texte, Nombre, Calcule };

struct Cle {
  std::string nom;
  int page = kSansPage;
  Forme forme = Forme::Nombre;
  uint64_t min = 0, max = 0;
  std::optional<ChampBorne> borne;  // the limit the page applies while typing
  std::function<void(Feuille&, const Valeur&)> applique;
  std::string calculDe;  // Forme::Calcule: what it is computed from
};

std::string hex(uint64_t v) {
  char t[20];
  const auto r = std::to_chars(t, t + sizeof t, v, 16);
  return std::string(t, r.ptr);
}

std::vector<Cle> construit_cles() {
  std::vector<Cle> v;
  using F = Feuille&;
  using V = const Valeur&;
  const auto nombre = [&v](std::string nom, int page, uint64_t min, uint64_t max,
                           std::function<void(Feuille&, const Valeur&)> f) {
    v.push_back({std::move(nom), page, Forme::Nombre, min, max, std::nullopt, std::move(f), {}});
  };
  const auto calcule = [&v](std::string nom, std::string de) {
    v.push_back({std::move(nom), kSansPage, Forme::Calcule, 0, 0, std::nullopt, nullptr, std::move(de)});
  };
  const auto duree = [&v](const std::string& nom, int page, std::function<SaisieDuree&(Feuille&)> de) {
    static const struct {
      const char* suffixe;
      ChampBorne borne;
      std::string SaisieDuree::*champ;
    } kChamps[] = {{"days", ChampBorne::Jours, &SaisieDuree::jours},
                   {"hours", ChampBorne::Heures, &SaisieDuree::heures},
                   {"minutes", ChampBorne::Minutes, &SaisieDuree::minutes},
                   {"seconds", ChampBorne::Secondes, &SaisieDuree::secondes}};
    for (const auto& c : kChamps) {
      v.push_back({nom + "." + c.suffixe, page, Forme::Nombre, 0, UINT64_MAX, c.borne,
                   [de, champ = c.champ](F f, V x) { de(f).*champ = x.texte; }, {}});
    }
  };
  const auto temps = [&](const std::string& nom, SaisieTemps SaisiePageVues::*t) {
    nombre(nom + ".value", kPageVues, 0, UINT32_MAX, [t](F f, V x) { (f.vues.*t).nombre = x.texte; });
    nombre(nom + ".unit", kPageVues, 0, 2, [t](F f, V x) { (f.vues.*t).unite = static_cast<int>(x.n); });
    calcule(nom + ".ns", nom + ".value and " + nom + ".unit");
  };

  v.push_back({"acquisition.path", PAGE_FICHIER, Forme::Texte, 0, 0, std::nullopt,
               [](F f, V x) { f.fichier.chemin = x.texte; }, {}});
  nombre("acquisition.start_action", PAGE_FICHIER, 0, ACTION_INCREMENTER,
         [](F f, V x) { f.fichier.action = static_cast<uint32_t>(x.n); });

  nombre("post_trigger.continuous", PAGE_POST_TRIG, 0, 1, [](F f, V x) { f.post.circulaire = x.n != 0; });
  nombre("post_trigger.size_selected", PAGE_POST_TRIG, 0, 1, [](F f, V x) { f.post.taille = *(f.taille = x.n != 0); });
  nombre("post_trigger.size", PAGE_POST_TRIG, 0, UINT64_MAX, [](F f, V x) { f.post.valeurTaille = x.texte; });
  nombre("post_trigger.size_unit", PAGE_POST_TRIG, 0, UNITE_GO,
         [](F f, V x) { f.post.unite = static_cast<uint8_t>(x.n); });
  calcule("post_trigger.size_bytes", "post_trigger.size and post_trigger.size_unit");
  nombre("post_trigger.duration_selected", PAGE_POST_TRIG, 0, 1, [](F f, V x) { f.post.duree = *(f.duree = x.n != 0); });
  duree("post_trigger.duration", PAGE_POST_TRIG, [](F f) -> SaisieDuree& { return f.post.valeurDuree; });

  nombre("pre_trigger.selected", PAGE_PRE_TRIG, 0, 1, [](F f, V x) { f.pre.aucun = x.n == 0; });
  nombre("pre_trigger.method", PAGE_PRE_TRIG, PRETRIG_POURCENT, PRETRIG_DUREE,
         [](F f, V x) { f.pre.methode = static_cast<uint8_t>(x.n); });
  v.push_back({"pre_trigger.percentage", PAGE_PRE_TRIG, Forme::Nombre, 0, UINT64_MAX, ChampBorne::Pourcentage,
               [](F f, V x) { f.pre.pourcentage = x.texte; }, {}});
  v.push_back({"pre_trigger.frames", PAGE_PRE_TRIG, Forme::Nombre, 0, UINT64_MAX, ChampBorne::NbTrames,
               [](F f, V x) { f.pre.nbTrames = x.texte; }, {}});
  duree("pre_trigger.duration", PAGE_PRE_TRIG, [](F f) -> SaisieDuree& { return f.pre.duree; });
  calcule("pre_trigger.equivalent_size", "the pre-trigger and post-trigger settings");

  nombre("trigger.method", kSansPage, 0, 7, [](F f, V x) { f.direct->ucMethodeDeclenchement = static_cast<uint8_t>(x.n); });
  nombre("trigger.frame_filtering", kSansPage, 0, 1,
         [](F f, V x) { f.direct->bFiltrageTrames = static_cast<uint32_t>(x.n); });
  nombre("deferred_start.on", PAGE_DIFFERE, 0, 1, [](F f, V x) { f.differe.actif = x.n != 0; });
  duree("deferred_start.delay", PAGE_DIFFERE, [](F f) -> SaisieDuree& { return f.differe.delai; });

  // The page holds the identifier as hexadecimal text; no identifier is no padding.
  nombre("acquisition.padding.on", PAGE_AUTRES, 0, 1, [](F f, V x) { f.bourrage = x.n != 0; });
  nombre("acquisition.padding.identifier", PAGE_AUTRES, 0, 0xFFFF,
         [](F f, V x) { f.autres.identifiantBourrage = hex(x.n); });
  nombre("acquisition.padding.delete_frames", PAGE_AUTRES, 0, 1, [](F f, V x) { f.autres.supprimerTrames = x.n != 0; });
  nombre("acquisition.channel", PAGE_AUTRES, 0, VOIE_2, [](F f, V x) { f.autres.voie = static_cast<uint32_t>(x.n); });

  temps("views.network_configuration_time", &SaisiePageVues::configReseau);
  temps("views.data_rate_time", &SaisiePageVues::debitInstantane);
  nombre("views.stored_points", kPageVues, 0, UINT64_MAX, [](F f, V x) { f.vues.nbPoints = x.texte; });
  nombre("views.open_automatically", kPageVues, 0, 1, [](F f, V x) { f.vues.ouvertureAuto = x.n != 0; });

  nombre("filter.mode", kSansPage, 0, 1, [](F f, V x) { f.direct->ulModeFiltre = static_cast<uint32_t>(x.n); });
  nombre("display.padding.on", kSansPage, 0, 1,
         [](F f, V x) { f.direct->bourrageAffichage.bActif = static_cast<uint32_t>(x.n); });
  nombre("display.padding.identifier", kSansPage, 0, 0xFFFF,
         [](F f, V x) { f.direct->bourrageAffichage.ulIdentifiant = static_cast<uint32_t>(x.n); });
  nombre("display.padding.delete_frames", kSansPage, 0, 1,
         [](F f, V x) { f.direct->bourrageAffichage.bFiltreAcq = static_cast<uint32_t>(x.n); });
  return v;
}

const Cle* trouve_cle(std::string_view nom) {
  static const std::vector<Cle> cles = construit_cles();
  for (const Cle& c : cles) {
    if (c.nom == nom) return &c;
  }
  return nullptr;
}

bool cle_de_definition(std::string_view nom) {
  for (std::string_view liste : {"trigger", "filter", "events"}) {
    if (nom.substr(0, liste.size()) != liste) continue;
    const std::string_view reste = nom.substr(liste.size());
    if (reste == ".count" || (!reste.empty() && reste[0] == '[')) return true;
  }
  return false;
}

// Decimal digits, or hexadecimal after "0x".
bool lit_entier(std::string_view t, uint64_t& v) {
  int base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    t.remove_prefix(2);
    base = 16;
  }
  const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
  return !t.empty() && ec == std::errc{} && p == t.data() + t.size();
}

struct Donne {
  const Cle* cle;
  std::string texte;  // KEY=VALUE as given
  Valeur valeur;
};

std::string donnees_de(const std::vector<Donne>& donnes, int page) {
  std::string t;
  for (const Donne& d : donnes) {
    if (d.cle->page != page) continue;
    if (!t.empty()) t += ", ";
    t += d.texte;
  }
  return t;
}

// The choices of the pages that depend on one another, as the dialogs' controls settle them.
std::optional<std::string> regle_choix(Feuille& f) {
  // Not circular, size and duration are two radio buttons: one given selects it.
  SaisiePagePostTrig& p = f.post;
  if (!p.circulaire && p.taille && p.duree) {
    if (f.taille.value_or(false) == f.duree.value_or(false)) {
      return "post_trigger.size_selected and post_trigger.duration_selected exclude each other unless "
             "post_trigger.continuous is 1";
    }
    (f.taille.value_or(false) ? p.duree : p.taille) = false;
  }
  if (!p.circulaire && !p.taille && !p.duree) {
    return "one of post_trigger.size_selected and post_trigger.duration_selected must be 1 unless "
           "post_trigger.continuous is 1";
  }
  if (f.bourrage == false) f.autres.identifiantBourrage.clear();
  if (f.bourrage == true && f.autres.identifiantBourrage.empty()) {
    return "acquisition.padding.on=1 needs acquisition.padding.identifier";
  }
  return std::nullopt;
}

std::optional<std::string> verifie_page(int page, Feuille& f, Configuration& travail) {
  switch (page) {
    case PAGE_FICHIER: return VerifiePageFichier(f.fichier, travail);
    case PAGE_POST_TRIG: return VerifiePagePostTrig(f.post, travail);
    case PAGE_PRE_TRIG: return VerifiePagePreTrig(f.pre, travail);
    case PAGE_DIFFERE: return VerifiePageDiffere(f.differe, travail);
    case PAGE_AUTRES: return VerifiePageAutres(f.autres, travail);
    default: return std::nullopt;
  }
}

// The Views page replaces a value beyond its limits by the limit; a script is told instead.
std::optional<std::string> verifie_vues(const SaisiePageVues& saisie, ConfigVues& vues) {
  SaisiePageVues corrigee = saisie;
  if (!VerifiePageVues(corrigee, vues)) return std::nullopt;
  std::string limites;
  const auto ajoute = [&limites](const std::string& cle, const std::string& limite) {
    limites += (limites.empty() ? "" : "; ") + cle + ": limit " + limite;
  };
  const auto temps = [&](const char* cle, const SaisieTemps& avant, const SaisieTemps& apres) {
    if (avant.nombre != apres.nombre || avant.unite != apres.unite) {
      ajoute(cle, apres.nombre + " " + kUnitesIntegration[apres.unite]);
    }
  };
  temps("views.network_configuration_time", saisie.configReseau, corrigee.configReseau);
  temps("views.data_rate_time", saisie.debitInstantane, corrigee.debitInstantane);
  if (saisie.nbPoints != corrigee.nbPoints) ajoute("views.stored_points", corrigee.nbPoints);
  return limites;
}

}  // namespace

bool applique_reglages(const std::vector<std::string>& reglages, Configuration& config, RefusReglage& refus,
                       std::string& stored) {
  Configuration resultat = config;
  Feuille f;
  f.fichier = SaisiePageFichierDe(config);
  f.post = SaisiePagePostTrigDe(config);
  f.pre = SaisiePagePreTrigDe(config);
  f.differe = SaisiePageDiffereDe(config);
  f.autres = SaisiePageAutresDe(config);
  f.vues = SaisiePageVuesDe(config.vues);
  f.direct = &resultat;

  std::vector<Donne> donnes;
  std::array<bool, kNbProprietaires> touchee{};
  for (const std::string& r : reglages) {
    const size_t egal = r.find('=');
    if (egal == std::string::npos) {
      refus = {"'" + r + "' is not KEY=VALUE", ""};
      return false;
    }
    const std::string nom = r.substr(0, egal);
    const std::string texte = r.substr(egal + 1);
    const Cle* cle = trouve_cle(nom);
    if (!cle) {
      refus = {cle_de_definition(nom) ? nom + ": definitions are changed with `config add` and `config remove`"
                                      : "unknown key '" + nom + "' (the keys are the names `config show --json` prints)",
               ""};
      return false;
    }
    for (const Donne& d : donnes) {
      if (d.cle == cle) {
        refus = {nom + " is given twice", ""};
        return false;
      }
    }
    if (cle->forme == Forme::Calcule) {
      refus = {nom + " is computed from " + cle->calculDe, ""};
      return false;
    }
    Valeur v{texte, 0};
    if (cle->forme == Forme::Nombre) {
      if (!lit_entier(texte, v.n) || v.n < cle->min || v.n > cle->max) {
        refus = {nom + ": '" + texte + "' is not a whole number from " + std::to_string(cle->min) + " to " +
                     std::to_string(cle->max),
                 ""};
        return false;
      }
      v.texte = std::to_string(v.n);
      if (cle->borne) {
        const std::string borne = BorneSaisie(*cle->borne, v.texte);
        if (borne != v.texte) {
          refus = {nom + ": " + texte + " is outside what the page accepts (it would become " + borne + ")", ""};
          return false;
        }
      }
    }
    cle->applique(f, v);
    touchee[static_cast<size_t>(cle->page)] = true;
    donnes.push_back({cle, r, v});
  }

  if (const auto message = regle_choix(f)) {
    refus = {*message, ""};
    return false;
  }
  // The acquisition pages in tab order on a working copy, then the sheet's write-back.
  Configuration travail = resultat;
  std::array<bool, kNbPagesAcq> montrees{};
  for (int page = 0; page < kNbPagesAcq; ++page) {
    if (!touchee[static_cast<size_t>(page)]) continue;
    montrees[static_cast<size_t>(page)] = true;
    if (const auto message = verifie_page(page, f, travail)) {
      refus = {*message, donnees_de(donnes, page)};
      return false;
    }
  }
  EcritFeuilleAcq(travail, montrees, resultat);
  if (touchee[kPageVues]) {
    if (const auto limites = verifie_vues(f.vues, resultat.vues)) {
      refus = {kMsgVuesCorrigees, *limites};
      return false;
    }
  }

  // A value a page stores otherwise than given (a choice its other fields override) is refused
  // rather than changed behind the script's back.
  std::map<std::string, std::string> champs;
  for (ChampConfiguration& c : ChampsConfiguration(resultat, false)) champs[c.nom] = std::move(c.valeur);
  stored.clear();
  for (const Donne& d : donnes) {
    const std::string& lu = champs[d.cle->nom];
    if (d.cle->forme == Forme::Nombre && lu != d.valeur.texte) {
      // The other settings of its page are named: one of them may be the reason.
      std::string page = donnees_de(donnes, d.cle->page);
      refus = {d.texte + " is not kept by the page's rules (it would read " + lu + ")", page == d.texte ? "" : page};
      return false;
    }
    stored += d.cle->nom + ": " + lu + "\n";
  }
  config = std::move(resultat);
  return true;
}

}  // namespace brv::cli
