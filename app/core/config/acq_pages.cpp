#include "brv_core/config/acq_pages.h"

#include "brv_core/definitions/definition_rules.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace brv {

namespace {

constexpr size_t kLgNomMax = 255;     // one name in a path
constexpr size_t kLgCheminMax = 4095; // the whole path

uint64_t Limite(ChampBorne champ) {
  switch (champ) {
    case ChampBorne::Jours: return 48;
    case ChampBorne::Heures: return 24;
    case ChampBorne::Minutes: return 60;
    case ChampBorne::Secondes: return 60;
    case ChampBorne::Pourcentage: return kPourcentagePreTrigMax;
    case ChampBorne::NbTrames: return 4294967295ULL;
  }
  return 0;
}

bool Chiffres(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A field's value after its limit (empty is 0).
uint64_t ValeurBornee(ChampBorne champ, std::string_view t) {
  return Chiffres(t) ? std::min(NombreSaisi(t), Limite(champ)) : 0;
}

uint8_t Octet(ChampBorne champ, std::string_view t) { return static_cast<uint8_t>(ValeurBornee(champ, t)); }

// x × p ÷ 100 without overflow (saturated).
uint64_t PourCent(uint64_t x, uint64_t p) {
  const uint64_t a = x / 100, b = x % 100;
  if (p != 0 && a > (std::numeric_limits<uint64_t>::max() - b * p / 100) / p) return std::numeric_limits<uint64_t>::max();
  return a * p + b * p / 100;
}

std::string Texte(uint64_t v) { return std::to_string(v); }

}  // namespace

uint64_t NombreSaisi(std::string_view t) {
  uint64_t v = 0;
  const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<uint64_t>::max();
  return ec == std::errc() && p == t.data() + t.size() ? v : 0;
}

std::string BorneSaisie(ChampBorne champ, std::string_view texte) {
  if (!Chiffres(texte)) return std::string(texte);
  const uint64_t v = NombreSaisi(texte);
  if (v > Limite(champ)) return Texte(Limite(champ));
  if (champ == ChampBorne::Pourcentage && v < 1) return "1";
  return std::string(texte);
}

std::optional<std::string> CompleteCheminAcq(std::string_view chemin) {
  if (chemin.empty() || chemin.back() == '/') return std::nullopt;
  if (std::any_of(chemin.begin(), chemin.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return std::nullopt;
  }
  size_t debut = 0;
  while (debut <= chemin.size()) {
    const size_t fin = std::min(chemin.find('/', debut), chemin.size());
    if (fin - debut > kLgNomMax) return std::nullopt;
    debut = fin + 1;
  }
  const size_t barre = chemin.rfind('/');
  const std::string_view nom = barre == std::string_view::npos ? chemin : chemin.substr(barre + 1);
  if (nom == "." || nom == "..") return std::nullopt;
  std::string complet(chemin);
  if (nom.find('.') == std::string_view::npos) complet += ".dat";
  if (complet.size() > kLgCheminMax || (nom.size() + 4 > kLgNomMax && complet.size() != chemin.size())) return std::nullopt;
  return complet;
}

DureeJHMS SaisieDuree::Valeur() const {
  DureeJHMS d;
  d.jours = Octet(ChampBorne::Jours, jours);
  d.heures = Octet(ChampBorne::Heures, heures);
  d.minutes = Octet(ChampBorne::Minutes, minutes);
  d.secondes = Octet(ChampBorne::Secondes, secondes);
  return d;
}

SaisieDuree SaisieDe(const DureeJHMS& d) {
  return {Texte(d.jours), Texte(d.heures), Texte(d.minutes), Texte(d.secondes)};
}

uint32_t PourcentagePreTrig(const ZonePreTrig& z) { return z.ucPourcentage | uint32_t{z.reserve[0]} << 8; }

void DefinitPourcentagePreTrig(ZonePreTrig& z, uint32_t pourcentage) {
  pourcentage = std::min(pourcentage, kPourcentagePreTrigMax);
  z.ucPourcentage = static_cast<uint8_t>(pourcentage & 0xFF);
  z.reserve[0] = static_cast<uint8_t>(pourcentage >> 8);
}

uint64_t TailleTramesPreTrig(uint64_t n) {
  // Three frames (identification 18, response at most 278, acknowledge 16) take 312 bytes.
  static constexpr uint64_t kReste[3] = {0, 278, 296};
  return n / 3 * 312 + kReste[n % 3];
}

uint64_t TailleDureePreTrig(uint64_t secondes) {
  // 162 bytes for every 46 µs of bus time.
  return static_cast<uint64_t>(std::ceil(static_cast<double>(secondes) * 162e9 / 46000.0));
}

std::optional<uint64_t> TailleEquivalentePreTrig(const ZonePostTrig& post, uint8_t methode, uint32_t pourcentage,
                                                 uint64_t nbTrames, const DureeJHMS& duree) {
  uint64_t taille;
  switch (methode) {
    case PRETRIG_POURCENT:
      // A ring has no size to take a share of.
      if (post.bContinue) return std::nullopt;
      if (post.bTailleChoisie) {
        taille = PourCent(post.taille_octets(), pourcentage);
      } else if (post.bDureeChoisie) {
        taille = TailleDureePreTrig(PourCent(post.duree.en_secondes(), pourcentage));
      } else {
        return std::nullopt;
      }
      break;
    case PRETRIG_TRAMES: taille = TailleTramesPreTrig(nbTrames); break;
    case PRETRIG_DUREE: taille = TailleDureePreTrig(duree.en_secondes()); break;
    default: return std::nullopt;
  }
  return std::max(taille, kTaillePreTrigMin);
}

std::optional<std::string> VerifiePageFichier(SaisiePageFichier& saisie, Configuration& cible) {
  const std::optional<std::string> complet = CompleteCheminAcq(saisie.chemin);
  if (!complet) return kMsgCheminAcqInvalide;
  saisie.chemin = *complet;
  cible.cheminFichierAcq = *complet;
  cible.ulActionDebut = std::min<uint32_t>(saisie.action, ACTION_INCREMENTER);
  return std::nullopt;
}

std::optional<std::string> VerifiePagePostTrig(const SaisiePagePostTrig& s, Configuration& cible) {
  const bool taille = s.circulaire || s.taille;
  const uint8_t unite = std::min<uint8_t>(s.unite, UNITE_GO);
  const uint64_t valeur = Chiffres(s.valeurTaille) ? NombreSaisi(s.valeurTaille) : 0;
  // A size whose bytes cannot be counted is no length either.
  if (taille && (valeur == 0 || valeur > kTailleZoneMaxOctets / octets_par_unite(unite))) return kMsgLongueurPostTrig;
  if (s.duree && s.valeurDuree.Nulle()) return kMsgDureePostTrig;
  ZonePostTrig& z = cible.postTrig;
  z.bContinue = s.circulaire;
  z.bTailleChoisie = taille;
  z.ullTaille = std::min(valeur, kTailleZoneMaxOctets / octets_par_unite(unite));
  z.ucUnite = unite;
  z.bDureeChoisie = s.duree;
  z.duree = s.valeurDuree.Valeur();
  return std::nullopt;
}

std::optional<uint64_t> TailleEquivalenteSaisie(const ZonePostTrig& post, const SaisiePagePreTrig& s) {
  return TailleEquivalentePreTrig(post, s.methode, static_cast<uint32_t>(ValeurBornee(ChampBorne::Pourcentage, s.pourcentage)),
                                  ValeurBornee(ChampBorne::NbTrames, s.nbTrames), s.duree.Valeur());
}

std::optional<std::string> VerifiePagePreTrig(const SaisiePagePreTrig& s, Configuration& cible) {
  const auto pourcentage = static_cast<uint32_t>(ValeurBornee(ChampBorne::Pourcentage, s.pourcentage));
  const uint64_t trames = ValeurBornee(ChampBorne::NbTrames, s.nbTrames);
  const DureeJHMS duree = s.duree.Valeur();
  if (!s.aucun) {
    const bool present = s.methode == PRETRIG_POURCENT ? pourcentage != 0
                         : s.methode == PRETRIG_TRAMES ? trames != 0
                         : s.methode == PRETRIG_DUREE  ? duree.en_secondes() != 0
                                                       : false;
    if (!present) return kMsgLongueurPreTrig;
  }
  ZonePreTrig& z = cible.preTrig;
  z.bPreTrig = !s.aucun;
  z.ucMethode = s.aucun ? z.ucMethode : s.methode;
  DefinitPourcentagePreTrig(z, pourcentage);
  z.ulNbTrames = static_cast<uint32_t>(trames);
  z.duree = duree;
  if (!s.aucun) z.ullTailleEquivalente = TailleEquivalenteSaisie(cible.postTrig, s).value_or(0);
  return std::nullopt;
}

std::optional<std::string> VerifiePageDiffere(const SaisiePageDiffere& s, Configuration& cible) {
  if (s.actif && s.delai.Nulle()) return kMsgDureeDiffere;
  cible.differe.bActif = s.actif;
  cible.differe.delai = s.delai.Valeur();
  return std::nullopt;
}

std::optional<std::string> VerifiePageAutres(const SaisiePageAutres& s, Configuration& cible) {
  TripletBourrage& b = cible.bourrageAcq;
  uint16_t id = 0;
  if (s.identifiantBourrage.empty() || !AnalyseIdentifiant(s.identifiantBourrage, id)) {
    // No identifier: no padding, and nothing of it kept.
    b = TripletBourrage{};
  } else {
    b.bActif = 1;
    b.ulIdentifiant = id;
    b.bFiltreAcq = s.supprimerTrames;
  }
  cible.ulVoie = std::min<uint32_t>(s.voie, VOIE_2);
  return std::nullopt;
}

SaisiePageFichier SaisiePageFichierDe(const Configuration& c) { return {c.cheminFichierAcq, c.ulActionDebut}; }

SaisiePagePostTrig SaisiePagePostTrigDe(const Configuration& c) {
  const ZonePostTrig& z = c.postTrig;
  SaisiePagePostTrig s;
  s.circulaire = z.bContinue;
  s.taille = z.bContinue || z.bTailleChoisie || !z.bDureeChoisie;
  s.duree = z.bDureeChoisie && (z.bContinue || !z.bTailleChoisie);
  s.valeurTaille = Texte(z.ullTaille);
  s.unite = z.ucUnite;
  s.valeurDuree = SaisieDe(z.duree);
  return s;
}

SaisiePagePreTrig SaisiePagePreTrigDe(const Configuration& c) {
  const ZonePreTrig& z = c.preTrig;
  SaisiePagePreTrig s;
  s.aucun = !z.bPreTrig;
  s.methode = z.ucMethode >= PRETRIG_POURCENT && z.ucMethode <= PRETRIG_DUREE ? z.ucMethode : uint8_t{PRETRIG_POURCENT};
  s.pourcentage = Texte(PourcentagePreTrig(z));
  s.nbTrames = Texte(z.ulNbTrames);
  s.duree = SaisieDe(z.duree);
  return s;
}

SaisiePageDiffere SaisiePageDiffereDe(const Configuration& c) { return {c.differe.bActif != 0, SaisieDe(c.differe.delai)}; }

SaisiePageAutres SaisiePageAutresDe(const Configuration& c) {
  SaisiePageAutres s;
  if (c.bourrageAcq.bActif) {
    s.identifiantBourrage = TexteIdentifiant(static_cast<uint16_t>(c.bourrageAcq.ulIdentifiant));
    s.supprimerTrames = c.bourrageAcq.bFiltreAcq != 0;
  }
  s.voie = c.ulVoie;
  return s;
}

void EcritFeuilleAcq(const Configuration& t, const std::array<bool, kNbPagesAcq>& montrees, Configuration& doc) {
  if (montrees[PAGE_FICHIER]) {
    doc.cheminFichierAcq = t.cheminFichierAcq;
    doc.ulActionDebut = t.ulActionDebut;
  }
  if (montrees[PAGE_POST_TRIG]) doc.postTrig = t.postTrig;
  if (montrees[PAGE_PRE_TRIG]) {
    doc.preTrig = t.preTrig;
  } else if (montrees[PAGE_POST_TRIG]) {
    // The history's share of the zone follows the zone's new size.
    const ZonePreTrig& z = doc.preTrig;
    if (const auto taille =
            TailleEquivalentePreTrig(doc.postTrig, z.ucMethode, PourcentagePreTrig(z), z.ulNbTrames, z.duree)) {
      doc.preTrig.ullTailleEquivalente = *taille;
    }
  }
  if (montrees[PAGE_DECLENCHEMENT]) {
    doc.declenchement = t.declenchement;
    doc.ucMethodeDeclenchement = t.ucMethodeDeclenchement;
    doc.bFiltrageTrames = t.bFiltrageTrames;
  }
  if (montrees[PAGE_DIFFERE]) doc.differe = t.differe;
  if (montrees[PAGE_AUTRES]) {
    doc.bourrageAcq = t.bourrageAcq;
    doc.ulVoie = t.ulVoie;
  }
}

}  // namespace brv
