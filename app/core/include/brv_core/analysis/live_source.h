#pragma once
// The engine side of a live acquisition as the monitor task sees it: the header it polls, and the
// stop and release it asks for. The acquisition controller implements it over the engine.

#include <cstdint>

#include <vandrel/acq_file.h>

namespace brv {

class ISuiviAcquisition {
 public:
  virtual ~ISuiviAcquisition() = default;
  // The header the engine keeps current; false when it cannot be had.
  virtual bool EnTete(vandrel::ENTETE_FICHIER& h) = 0;
  // Bytes the engine has written into the data zone since the start, every lap of a ring counted.
  virtual uint64_t OctetsEcrits() { return 0; }
  // Stops the engine (the user's stop): it then reports its final state.
  virtual void StopAcquisition() = 0;
  // Stops, disconnects and releases the engine; harmless when already done.
  virtual void Libere() = 0;
};

// What the monitor needs to know of the acquisition it follows.
struct ParametresSuivi {
  uint32_t typeAcq = 0;        // enTypeAcq
  bool continu = false;        // circular file
  uint64_t octetsAttendus = 0; // size limit in bytes, 0 when none
  uint64_t dureeMs = 0;        // duration limit, 0 when none
  uint64_t tailleAnneau = 0;   // circular file: the zone size asked of the engine
  uint32_t attenteMs = 250;    // wait of an idle pass
};

}  // namespace brv
