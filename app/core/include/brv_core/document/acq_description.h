#pragma once
// What describes an opened acquisition: the texts of the information pane and the channels its
// probe monitors.

#include <cstdint>
#include <string>
#include <vector>

#include <vandrel/acq_file.h>

namespace brv {

// "Speed adapter: ..." with the speed and the framing.
std::string TexteAdaptateur(const vandrel::ENTETE_FICHIER& h);

// The channels the probe monitors: channel 1 for a mono- or bi-medium probe, channel 2 for a
// bi-medium one, none for a standard probe.
inline bool Voie1Surveillee(const vandrel::ENTETE_FICHIER& h) {
  return h.enTypeBoitier == vandrel::BT_ZIZA_MONO || h.enTypeBoitier == vandrel::BT_ZIZA_BI;
}
inline bool Voie2Surveillee(const vandrel::ENTETE_FICHIER& h) { return h.enTypeBoitier == vandrel::BT_ZIZA_BI; }
// "Acquisition mode: ..." with " on circular buffer" when the capture was continuous.
std::string TexteModeAcq(uint32_t typeAcq, bool continu);
// Why the acquisition ended, from the state and the program's end reason; empty when unknown.
std::string TexteFinAcq(uint32_t etatAcq, uint32_t raisonFin);
// The error box of an engine end state (8 to 10); empty for the others.
std::string TexteBoiteFinAcq(uint32_t etatAcq);
// Why the last re-reading ended early; empty when it did not.
std::string TexteFinRecalcul(uint32_t raisonFinRecalcul);

}  // namespace brv
