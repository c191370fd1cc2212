#include "brv_core/report/export_choices.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace brv {

namespace {

constexpr const char* kCleFormat = "FileFormat";
constexpr const char* kCleSeparateur = "Separ";
constexpr const char* kCleElements = "Elements";
constexpr const char* kCleTrames = "Frames";
// Apart from the other elements, so that a reader that knows only them keeps reading them.
constexpr const char* kCleTiming = "Timing";

std::string Joint(std::initializer_list<uint32_t> valeurs) {
  std::string t;
  for (const uint32_t v : valeurs) {
    if (!t.empty()) t.push_back(' ');
    t += std::to_string(v);
  }
  return t;
}

// Exactly N decimal integers separated by spaces, each at most its maximum; nothing otherwise,
// so that a damaged value falls back on its defaults rather than on half of them.
template <size_t N>
std::optional<std::array<uint32_t, N>> Entiers(const ReglagesExport& r, const char* cle,
                                               const std::array<uint32_t, N>& maxima) {
  const auto it = r.find(cle);
  if (it == r.end()) return std::nullopt;
  const std::string& t = it->second;
  std::array<uint32_t, N> v{};
  const char* p = t.data();
  const char* const fin = t.data() + t.size();
  for (size_t i = 0; i < N; ++i) {
    while (p < fin && *p == ' ') ++p;
    const auto [suite, ec] = std::from_chars(p, fin, v[i]);
    if (ec != std::errc() || suite == p || v[i] > maxima[i]) return std::nullopt;
    p = suite;
  }
  while (p < fin && *p == ' ') ++p;
  if (p != fin) return std::nullopt;
  return v;
}

}  // namespace

DisponibiliteExport Disponibilite(const SourceExport& s, bool selection, const ProgrammesExport& programmes) {
  DisponibiliteExport d;
  d.programmes = programmes;
  d.reseau = !s.doc.Reseau.Table().empty();
  d.debits = s.points != nullptr && !s.points->empty();
  d.etatTrames = s.doc.Resultats.ulNbTramesAffichables == 0 ? ETAT_SANS_TRAMES
                 : selection                                 ? ETAT_AVEC_SELECTION
                                                             : ETAT_SANS_SELECTION;
  return d;
}

PARAM_EXPORT AjusteExport(PARAM_EXPORT p, const DisponibiliteExport& d) {
  if (!d.programmes.traitementTexte) p.bOuvrirTraitementTexte = 0;
  if (!d.programmes.tableur) p.bOuvrirTableur = 0;
  if (!d.reseau) p.bReseau = 0;
  if (!d.debits) p.bDebits = 0;
  if (d.etatTrames == ETAT_SANS_TRAMES) {
    p.ulTrames = TRAMES_AUCUNE;
  } else if (d.etatTrames == ETAT_SANS_SELECTION && p.ulTrames == TRAMES_SELECTION) {
    p.ulTrames = TRAMES_TOUTES;
  }
  return p;
}

ControlesExport Controles(const PARAM_EXPORT& p, const DisponibiliteExport& d) {
  ControlesExport c;
  const bool tableur = p.ulFormat == EXPORT_TABLEUR;
  c.ouvrirTraitementTexte = d.programmes.traitementTexte && !tableur;
  c.ouvrirTableur = d.programmes.tableur && tableur;
  c.utiliseSeparateur = tableur;
  c.separateur = tableur && p.bUtiliseSeparateur != 0;
  c.reseau = d.reseau;
  c.debits = d.debits;
  const bool trames = d.etatTrames != ETAT_SANS_TRAMES;
  c.toutes = trames;
  c.selection = d.etatTrames == ETAT_AVEC_SELECTION;
  c.aucune = trames;
  c.contenu = trames && p.ulTrames != TRAMES_AUCUNE;
  return c;
}

PARAM_EXPORT ExportAMemoriser(const PARAM_EXPORT& choisi, const PARAM_EXPORT& memorise, const DisponibiliteExport& d) {
  PARAM_EXPORT p = choisi;
  if (!d.programmes.traitementTexte) p.bOuvrirTraitementTexte = memorise.bOuvrirTraitementTexte;
  if (!d.programmes.tableur) p.bOuvrirTableur = memorise.bOuvrirTableur;
  if (!d.reseau) p.bReseau = memorise.bReseau;
  if (!d.debits) p.bDebits = memorise.bDebits;
  if (d.etatTrames == ETAT_SANS_TRAMES) {
    p.ulTrames = memorise.ulTrames;
    p.ulContenu = memorise.ulContenu;
  }
  return p;
}

std::string SaisieDeSeparateur(const std::string& separateur) { return separateur == "\t" ? std::string() : separateur; }

std::string SeparateurDeSaisie(std::string_view saisie) {
  return saisie.empty() ? std::string("\t") : std::string(saisie.substr(0, kLgMaxSeparateur));
}

ReglagesExport EcritReglagesExport(const PARAM_EXPORT& p) {
  return {
      {kCleFormat, Joint({p.ulFormat, p.bOuvrirTraitementTexte, p.bOuvrirTableur, p.bUtiliseSeparateur})},
      {kCleSeparateur, p.separateur},
      {kCleElements, Joint({p.bInformation, p.bErreurs, p.bReseau, p.bDebits, p.bStatistiques})},
      {kCleTrames, Joint({p.ulTrames, p.ulContenu})},
      {kCleTiming, Joint({p.bTiming})},
  };
}

PARAM_EXPORT LitReglagesExport(const ReglagesExport& r) {
  PARAM_EXPORT p;
  if (const auto v = Entiers<4>(r, kCleFormat, {EXPORT_TABLEUR, 1, 1, 1})) {
    p.ulFormat = (*v)[0];
    p.bOuvrirTraitementTexte = (*v)[1];
    p.bOuvrirTableur = (*v)[2];
    p.bUtiliseSeparateur = (*v)[3];
  }
  if (const auto it = r.find(kCleSeparateur);
      it != r.end() && !it->second.empty() && it->second.size() <= kLgMaxSeparateur) {
    p.separateur = it->second;
  }
  if (const auto v = Entiers<5>(r, kCleElements, {1, 1, 1, 1, 1})) {
    p.bInformation = (*v)[0];
    p.bErreurs = (*v)[1];
    p.bReseau = (*v)[2];
    p.bDebits = (*v)[3];
    p.bStatistiques = (*v)[4];
  }
  if (const auto v = Entiers<1>(r, kCleTiming, {1})) p.bTiming = (*v)[0];
  if (const auto v = Entiers<2>(r, kCleTrames, {TRAMES_TOUTES, 1})) {
    p.ulTrames = (*v)[0];
    p.ulContenu = (*v)[1];
  }
  return p;
}

DemandeExport DemandeEcriture(const PARAM_EXPORT& choisi, const DisponibiliteExport& d, uint64_t nbLignes,
                              std::optional<std::pair<uint64_t, uint64_t>> selection) {
  DemandeExport e{choisi};
  if (!d.reseau) e.p.bReseau = 0;
  if (!d.debits) e.p.bDebits = 0;
  if (nbLignes == 0 || d.etatTrames == ETAT_SANS_TRAMES || e.p.ulTrames == TRAMES_AUCUNE) {
    e.p.ulTrames = TRAMES_AUCUNE;
    return e;
  }
  if (e.p.ulTrames == TRAMES_SELECTION && selection) {
    const auto [a, b] = *selection;
    e.premiere = std::min(a, b);
    e.derniere = std::min(std::max(a, b), nbLignes - 1);
    return e;
  }
  // Without a selection the dialog showed "All".
  e.p.ulTrames = TRAMES_TOUTES;
  e.derniere = nbLignes - 1;
  return e;
}

}  // namespace brv
