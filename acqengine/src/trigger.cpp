#include "vandrel/trigger.h"

namespace vandrel {

const char* nom_methode_synchro(uint8_t methode) {
  static const char* const noms[] = {"F1",
                                     "F1 Then F2",
                                     "F1 Or F2",
                                     "F1 Then F2 Then F3",
                                     "(F1 Then F2) Or F3",
                                     "F1 Then (F2 Or F3)",
                                     "(F1 Or F2) Then F3",
                                     "F1 Or F2 Or F3"};
  return methode < 8 ? noms[methode] : nullptr;
}

uint8_t nb_trames_methode(uint8_t methode) {
  static const uint8_t nb[] = {1, 2, 2, 3, 3, 3, 3, 3};
  return methode < 8 ? nb[methode] : 0;
}

bool construit_combinaison(uint8_t methode, uint8_t nb_trames, const struct_DEF_TRAME_SYNCHRO* defs[3],
                           CombinaisonSynchro& out) {
  out = CombinaisonSynchro{};
  if (methode > 7) return true;
  if (nb_trames != nb_trames_methode(methode)) return false;
  const auto* f1 = defs[0];
  const auto* f2 = defs[1];
  const auto* f3 = defs[2];
  auto branche = [&](std::initializer_list<const struct_DEF_TRAME_SYNCHRO*> etapes) {
    BrancheSynchro& b = out.branches[out.nb_branches++];
    for (const auto* e : etapes) b.etapes[b.longueur++] = e;
  };
  switch (methode) {
    case 0: branche({f1}); break;
    case 1: branche({f1, f2}); break;
    case 2: branche({f1}); branche({f2}); break;
    case 3: branche({f1, f2, f3}); break;
    case 4: branche({f1, f2}); branche({f3}); break;
    // The shared step is the very same definition in both branches.
    case 5: branche({f1, f2}); branche({f1, f3}); break;
    case 6: branche({f1, f3}); branche({f2, f3}); break;
    default: branche({f1}); branche({f2}); branche({f3}); break;
  }
  for (uint8_t i = 0; i < out.nb_branches; ++i) {
    out.branches[i].courante = out.branches[i].etapes[0];
    out.branches[i].index = 1;
  }
  return true;
}

bool trame_satisfait(const struct_DEF_TRAME_SYNCHRO& def, const uint8_t* trame, uint16_t n) {
  for (uint16_t i = 0; i < def.usNbChampsBit && i < def.pstChampsBit.size(); ++i) {
    if (!bitfield::satisfait(trame, n, def.pstChampsBit[i])) return false;
  }
  return true;
}

bool avance_combinaison(CombinaisonSynchro& c, const uint8_t* trame, uint16_t n) {
  const struct_DEF_TRAME_SYNCHRO* trouvee = nullptr;
  // Branches are evaluated from the last to the first; a definition already matched by this
  // frame is not evaluated again, it counts for every branch whose current step it is.
  for (int i = c.nb_branches - 1; i >= 0; --i) {
    BrancheSynchro& b = c.branches[i];
    if (b.courante == nullptr) continue;
    const bool ok = trouvee ? b.courante == trouvee : trame_satisfait(*b.courante, trame, n);
    if (!ok) continue;
    if (!trouvee) trouvee = b.courante;
    if (b.index >= b.longueur) return true;
    b.courante = b.etapes[b.index];
    ++b.index;
  }
  return false;
}

bool compare_motif(const uint16_t* trame, const uint16_t* motif, uint16_t nb_mots) {
  for (uint16_t i = 0; i < nb_mots; ++i) {
    if (motif[i] & 0x100) continue;
    if ((trame[i] & 0xFF) != (motif[i] & 0xFF)) return false;
  }
  return true;
}

}  // namespace vandrel
