#include "brv_core/document/acq_description.h"

namespace brv {

std::string TexteAdaptateur(const vandrel::ENTETE_FICHIER& h) {
  static const char* const kAdaptateurs[] = {"Speed adapter: standard", "Speed adapter: mono-medium",
                                             "Speed adapter: bi-medium"};
  static const char* const kVitesses[] = {" at 31.25 kbit/s", " at 1 Mbit/s", " at 2.5 Mbit/s", " at 5 Mbit/s"};
  std::string t = h.enTypeBoitier < 3 ? kAdaptateurs[h.enTypeBoitier] : "Speed adapter: unknown";
  t += h.enVitesse < 4 ? kVitesses[h.enVitesse] : " unknown speed";
  t += h.bTramesTypeFip ? " - FIP frames" : " - WorldFIP frames";
  return t;
}

std::string TexteModeAcq(uint32_t typeAcq, bool continu) {
  static const char* const kModes[] = {"Acquisition mode: free run", "Acquisition mode: triggered",
                                       "Acquisition mode: triggered with frame filtering",
                                       "Acquisition mode: triggered with pre-triggering"};
  std::string t = typeAcq < 4 ? kModes[typeAcq] : "Acquisition mode: free run";
  if (continu) t += " on circular buffer";
  return t;
}

std::string TexteFinAcq(uint32_t etatAcq, uint32_t raisonFin) {
  switch (etatAcq) {
    case 5: return "The acquisition ended normally.";
    case 6:
      switch (raisonFin) {
        case 1: return "Acquisition aborted because of error getting information from driver.";
        case 2: return "Acquisition aborted because of error accessing the acquisition file.";
        case 3: return "Acquisition aborted because of invalid end of file error.";
        case 4: return "Acquisition aborted because of application not fast enough.";
        case 5: return "Acquisition aborted because of insufficient memory.";
        default: return "Acquisition terminated by user.";
      }
    case 7: return "Acquisition aborted because of disk full.";
    case 8: return "Acquisition aborted because of driver error.";
    case 9: return "Acquisition aborted because of driver error (not enough resources).";
    case 10: return "Acquisition aborted because of driver error (error accessing the acquisition file).";
    default: return "";
  }
}

std::string TexteBoiteFinAcq(uint32_t etatAcq) {
  switch (etatAcq) {
    case 8: return "Driver error during acquisition.";
    case 9: return "Driver error during acquisition\n(not enough resources).";
    case 10: return "Driver error during acquisition\n(error accessing the acquisition file).";
    default: return "";
  }
}

std::string TexteFinRecalcul(uint32_t raison) {
  switch (raison) {
    case 1: return "Re-calculation terminated by user.";
    case 2: return "Re-calculation aborted because of error accessing the acquisition file.";
    case 3: return "Re-calculation aborted because of invalid end of file error.";
    default: return "";
  }
}

}  // namespace brv
