#include "brv_core/listing/goto_search.h"

#include <algorithm>

namespace brv {

CarteLignes CarteDuDocument(const CBrenvaleDoc& doc) {
  CarteLignes c;
  c.preTrig = doc.Resultats.indexPreTrig.Copie();
  c.postTrig = doc.Resultats.indexPostTrig.Copie();
  c.nbLignes = doc.Resultats.ulNbTramesAffichables;
  c.derniereLignePreTrig = doc.Resultats.ulDerniereLignePreTrig;
  return c;
}

namespace {

// A run of rows [debut, fin), and the stretch [bas, finBas) of it where a wanted row can be.
struct Bloc {
  uint64_t debut = 0;
  uint64_t fin = 0;
  uint64_t bas = 0;
  uint64_t finBas = 0;
};

// The stretch of a block where wanted rows lie, from its record's bounds. A bound of 0 also
// means "none": the counts say whether it exists.
void Borne(Bloc& b, const INDEX_TRAMES* rec, const OptionsGoto& o) {
  if (rec == nullptr) {
    // Rows no record describes: they may hold anything.
    b.bas = b.debut;
    b.finBas = b.fin;
    return;
  }
  uint64_t bas = UINT64_MAX;
  uint64_t dernier = 0;
  const auto ajoute = [&](uint64_t p, uint64_t d) {
    bas = std::min(bas, p);
    dernier = std::max(dernier, d);
  };
  if (o.bEvenements && rec->ullNbLignesEvenement > 0) ajoute(rec->ullPremierEvenement, rec->ullDernierEvenement);
  if (o.bErreurs && rec->ullNbLignesErreur > 0) ajoute(rec->ullPremiereErreur, rec->ullDerniereErreur);
  if (o.bDateZero && rec->bDateZero) ajoute(b.debut, b.debut);
  // Bounds read from a file are held inside the block; a block with nothing wanted gets an
  // empty stretch.
  b.bas = std::max(bas, b.debut);
  b.finBas = std::max(b.bas, std::min(dernier == UINT64_MAX ? dernier : dernier + 1, b.fin));
}

// The blocks in row order, covering [0, nbLignes) without gaps.
std::vector<Bloc> Blocs(const CarteLignes& carte, const OptionsGoto& o) {
  std::vector<const INDEX_TRAMES*> recs;
  recs.reserve(carte.preTrig.size() + carte.postTrig.size());
  for (const auto& r : carte.preTrig) recs.push_back(&r);
  for (const auto& r : carte.postTrig) recs.push_back(&r);
  // Records read from a file are not trusted to be in order, nor inside the rows.
  std::stable_sort(recs.begin(), recs.end(), [](const INDEX_TRAMES* x, const INDEX_TRAMES* y) {
    return x->ullPremiereLigne < y->ullPremiereLigne;
  });
  std::vector<Bloc> blocs;
  blocs.reserve(recs.size() + 1);
  uint64_t debut = 0;
  for (size_t i = 0; i <= recs.size(); ++i) {
    const uint64_t fin = i < recs.size() ? std::min(recs[i]->ullPremiereLigne, carte.nbLignes) : carte.nbLignes;
    if (fin <= debut) continue;  // of records starting on the same row, the last describes it
    Bloc b{debut, fin, 0, 0};
    Borne(b, i > 0 ? recs[i - 1] : nullptr, o);
    blocs.push_back(b);
    debut = fin;
  }
  return blocs;
}

bool Correspond(const LIGNE_TRAME& l, const OptionsGoto& o) {
  return l.ulMarque == MARQUE_ERREUR_EVENEMENT || (l.ulMarque == MARQUE_ERREUR && o.bErreurs) ||
         (l.ulMarque == MARQUE_EVENEMENT && o.bEvenements) || (l.bDateZero && o.bDateZero);
}

class Recherche {
 public:
  Recherche(const OptionsGoto& o, const LectureGoto& lecture) : o_(o), lecture_(lecture) {}

  // The rows of b's stretch within [de, a), in search order.
  std::optional<uint64_t> Parcourt(const Bloc& b, uint64_t de = 0, uint64_t a = UINT64_MAX) {
    const uint64_t bas = std::max(b.bas, de);
    const uint64_t fin = std::min(b.finBas, a);
    if (bas >= fin) return std::nullopt;
    return o_.bVersLeHaut ? VersLeHaut(bas, fin) : VersLeBas(bas, fin);
  }

 private:
  size_t Lit(uint64_t premiere, size_t nombre) {
    const size_t n = lecture_(premiere, nombre, lignes_);
    return std::min({n, nombre, lignes_.size()});
  }

  std::optional<uint64_t> VersLeBas(uint64_t bas, uint64_t fin) {
    for (uint64_t l = bas; l < fin;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kLignesParLectureGoto, fin - l));
      const size_t lu = Lit(l, n);
      for (size_t i = 0; i < lu; ++i) {
        if (Correspond(lignes_[i], o_)) return l + i;
      }
      // A short read stopped on a damaged record: nothing beyond it in this stretch can be read.
      if (lu < n) break;
      l += n;
    }
    return std::nullopt;
  }

  std::optional<uint64_t> VersLeHaut(uint64_t bas, uint64_t fin) {
    while (fin > bas) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kLignesParLectureGoto, fin - bas));
      const uint64_t premiere = fin - n;
      // A short read leaves the chunk's last rows out; the rows before the chunk still read.
      for (size_t i = Lit(premiere, n); i-- > 0;) {
        if (Correspond(lignes_[i], o_)) return premiere + i;
      }
      fin = premiere;
    }
    return std::nullopt;
  }

  const OptionsGoto& o_;
  const LectureGoto& lecture_;
  std::vector<LIGNE_TRAME> lignes_;
};

}  // namespace

std::optional<uint64_t> ChercheGoto(const CarteLignes& carte, uint64_t depart, const OptionsGoto& options,
                                    const LectureGoto& lecture) {
  if (!options.bDateZero && !options.bEvenements && !options.bErreurs) return std::nullopt;
  if (options.bDateZero && !options.bEvenements && !options.bErreurs) {
    const uint64_t premiere =
        carte.derniereLignePreTrig == kAucuneLignePreTrig ? 0 : uint64_t{carte.derniereLignePreTrig} + 1;
    if (premiere < carte.nbLignes) return premiere;
  }
  if (carte.nbLignes == 0) return std::nullopt;
  depart = std::min(depart, carte.nbLignes - 1);

  const std::vector<Bloc> blocs = Blocs(carte, options);
  const size_t nb = blocs.size();
  const auto apres = std::upper_bound(blocs.begin(), blocs.end(), depart,
                                      [](uint64_t l, const Bloc& b) { return l < b.debut; });
  const size_t s = static_cast<size_t>(apres - blocs.begin()) - 1;
  const bool versLeHaut = options.bVersLeHaut;
  Recherche r(options, lecture);
  // Once round the capture, from the row after depart to the row before it: the starting block
  // is searched on the near side of depart first and on the far side last.
  if (auto t = versLeHaut ? r.Parcourt(blocs[s], 0, depart) : r.Parcourt(blocs[s], depart + 1)) return t;
  for (size_t k = 1; k < nb; ++k) {
    if (auto t = r.Parcourt(blocs[versLeHaut ? (s + nb - k) % nb : (s + k) % nb])) return t;
  }
  return versLeHaut ? r.Parcourt(blocs[s], depart + 1) : r.Parcourt(blocs[s], 0, depart);
}

}  // namespace brv
