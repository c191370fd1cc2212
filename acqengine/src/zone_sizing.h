#pragma once
// Sizes and positions of the data zones, computed once at start from INI_ACQ.

#include <cstdint>
#include <string>

#include "vandrel/acq_file.h"
#include "vandrel/ini_acq.h"

namespace vandrel {

inline constexpr uint64_t kTaillePreTrigMin = 3100;
inline constexpr uint32_t kNbSousBlocsPreTrig = 11;

struct TaillesZones {
  uint64_t pos_post_trig = kTailleEntete;
  uint64_t taille_post_trig = 0;
  uint64_t pos_pre_trig = 0;
  uint64_t taille_pre_trig = 0;
  uint64_t taille_sous_bloc = 0;
  uint64_t nb_blocs = 0;  // circular data zone
  bool continu = false;

  // Zone fields of the header at start.
  void applique(ENTETE_FICHIER& e) const;
};

// False (with the reason) when the block asks for something the file cannot hold: a circular
// zone smaller than one sub-block, or a zone whose end does not fit a 64-bit offset.
bool calcule_zones(const INI_ACQ& ini, uint32_t lgp_buffer, uint32_t mul_buffer_save, TaillesZones& z,
                   std::string& raison);

}  // namespace vandrel
