#include "brv_core/document/acq_results.h"

#include <new>
#include <vector>

namespace brv {

void ResetResults(AcqResults& r, bool complet) {
  if (complet) {
    r.EndReason = FIN_AUCUNE;
    r.ulDerniereLignePreTrig = kAucuneLignePreTrig;
    r.usLgDernierEnregPreTrig = 0;
    r.ullDateDernierEnregPreTrig = 0;
  }
  r.RecalcEndReason = RECALCUL_AUCUNE;
  r.indexPreTrig.Vide();
  r.indexPostTrig.Vide();
  r.ullNbLignesErreur = 0;
  r.ullNbLignesEvenement = 0;
  r.ullNbTramesAcquises = 0;
  r.ulNbTramesAffichables = 0;
  r.ullNbEvenements = 0;
  r.stats = BlocStatistiques{};
  r.comptesParType.fill(0);
  r.compteursErreur.fill(0);
}

std::vector<std::string> BorneResultats(AcqResults& r) {
  std::vector<std::string> notes;
  if (r.ulTailleBlocIndex < kTailleBlocIndexMin || r.ulTailleBlocIndex > kTailleBlocIndexMax) {
    notes.push_back("The index block size stored in the acquisition file (" + std::to_string(r.ulTailleBlocIndex) +
                    ") is out of range: " + std::to_string(kTailleBlocIndexDefaut) + " is used.");
    r.ulTailleBlocIndex = kTailleBlocIndexDefaut;
  }
  return notes;
}

namespace {

void EcritIndex(ByteWriter& out, const CIndexTrames& index) {
  index.Lit([&](const std::vector<INDEX_TRAMES>& recs) {
    out.u32(static_cast<uint32_t>(recs.size()));
    for (const auto& x : recs) {
      out.u64(x.ullPremiereLigne);
      out.u64(x.ullPosFichier);
      out.u32(x.bDateZero);
      out.u32(x.ulReserve);
      out.u64(x.ullNbLignesErreur);
      out.u64(x.ullNbLignesEvenement);
      out.u64(x.ullPremiereErreur);
      out.u64(x.ullDerniereErreur);
      out.u64(x.ullPremierEvenement);
      out.u64(x.ullDernierEvenement);
    }
  });
}

bool LitIndexRecord(ByteReader& in, INDEX_TRAMES& x) {
  return in.u64(x.ullPremiereLigne) && in.u64(x.ullPosFichier) && in.u32(x.bDateZero) && in.u32(x.ulReserve) &&
         in.u64(x.ullNbLignesErreur) && in.u64(x.ullNbLignesEvenement) && in.u64(x.ullPremiereErreur) &&
         in.u64(x.ullDerniereErreur) && in.u64(x.ullPremierEvenement) && in.u64(x.ullDernierEvenement);
}

// The count is checked against the bytes left before anything is allocated.
LectureResultats LitIndex(ByteReader& in, CIndexTrames& index, const LimitesLecture& limites) {
  index.Vide();
  uint32_t nb = 0;
  if (!in.u32(nb) || nb * uint64_t{sizeof(INDEX_TRAMES)} > in.remaining()) return LectureResultats::Tronque;
  if (nb > limites.maxIndexRecords) {
    in.skip(nb * uint64_t{sizeof(INDEX_TRAMES)});
    return LectureResultats::ListeIgnoree;
  }
  std::vector<INDEX_TRAMES> recs;
  try {
    recs.resize(nb);
  } catch (const std::bad_alloc&) {
    in.skip(nb * uint64_t{sizeof(INDEX_TRAMES)});
    return LectureResultats::ListeIgnoree;
  }
  for (auto& x : recs) {
    if (!LitIndexRecord(in, x)) return LectureResultats::Tronque;
  }
  index.Remplace(std::move(recs));
  return LectureResultats::Ok;
}

}  // namespace

void EcritResultats(ByteWriter& out, const AcqResults& r) {
  out.u32(r.EndReason);
  out.u32(r.RecalcEndReason);
  out.u64(r.ullPosPremiereTrame);
  out.u32(r.ulDerniereLignePreTrig);
  out.u16(r.usLgDernierEnregPreTrig);
  out.u64(r.ullDateDernierEnregPreTrig);
  out.u32(r.ulTailleBlocIndex);
  EcritIndex(out, r.indexPreTrig);
  EcritIndex(out, r.indexPostTrig);
  out.u64(r.ullNbLignesErreur);
  out.u64(r.ullNbLignesEvenement);
  out.u64(r.ullNbTramesAcquises);
  out.u32(r.ulNbTramesAffichables);
  out.u64(r.ullNbEvenements);
  out.u64(r.stats.ullTempsTraficNs);
  out.f32(r.stats.fChargeDonnees);
  out.f32(r.stats.fChargeMessages);
  out.f32(r.stats.fTauxErreur);
  out.bytes(r.stats.reserve.data(), r.stats.reserve.size());
  for (uint64_t v : r.comptesParType) out.u64(v);
  for (uint64_t v : r.compteursErreur) out.u64(v);
}

LectureResultats LitResultats(ByteReader& in, AcqResults& r, const LimitesLecture& limites) {
  if (!in.u32(r.EndReason) || !in.u32(r.RecalcEndReason) || !in.u64(r.ullPosPremiereTrame) ||
      !in.u32(r.ulDerniereLignePreTrig) || !in.u16(r.usLgDernierEnregPreTrig) ||
      !in.u64(r.ullDateDernierEnregPreTrig) || !in.u32(r.ulTailleBlocIndex)) {
    return LectureResultats::Tronque;
  }
  LectureResultats etat = LectureResultats::Ok;
  for (CIndexTrames* index : {&r.indexPreTrig, &r.indexPostTrig}) {
    const LectureResultats e = LitIndex(in, *index, limites);
    if (e == LectureResultats::Tronque) return e;
    if (e == LectureResultats::ListeIgnoree) etat = e;
  }
  if (!in.u64(r.ullNbLignesErreur) || !in.u64(r.ullNbLignesEvenement) || !in.u64(r.ullNbTramesAcquises) ||
      !in.u32(r.ulNbTramesAffichables) || !in.u64(r.ullNbEvenements) || !in.u64(r.stats.ullTempsTraficNs) ||
      !in.f32(r.stats.fChargeDonnees) || !in.f32(r.stats.fChargeMessages) || !in.f32(r.stats.fTauxErreur) ||
      !in.bytes(r.stats.reserve.data(), r.stats.reserve.size())) {
    return LectureResultats::Tronque;
  }
  for (uint64_t& v : r.comptesParType) {
    if (!in.u64(v)) return LectureResultats::Tronque;
  }
  for (uint64_t& v : r.compteursErreur) {
    if (!in.u64(v)) return LectureResultats::Tronque;
  }
  return etat;
}

}  // namespace brv
