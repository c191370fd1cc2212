#pragma once
// The network's identifiers as the identification frames show them: how often each was called,
// how often answered, and when last, so that each reads present, missing or not called.

#include <cstdint>
#include <string>
#include <vector>

namespace brv {

// A date in nanoseconds whose top bit marks a date before the trigger (the other bits hold
// its magnitude), as stored.
uint64_t DateSignee(int64_t ns);
int64_t DateDepuisSignee(uint64_t date);

struct IDENTIFIANT_RESEAU {
  uint16_t usIdentifiant = 0;
  uint32_t bRupture = 0;        // a call went unanswered
  uint32_t bDernierRepondu = 0;
  uint64_t ullDerniereDate = 0;  // signed form
  uint64_t ullAppels = 0;
  uint64_t ullReponses = 0;
  friend bool operator==(const IDENTIFIANT_RESEAU&, const IDENTIFIANT_RESEAU&) = default;
};

enum class EtatReseau { Present, Manquant, NonAppele };

class CConfigReseau {
 public:
  static constexpr size_t kCapaciteMax = 65534;

  // One settled call; false when the table cannot take a new identifier.
  bool EnregistreAppel(uint16_t identifiant, int64_t dateNs, bool repondu);
  void Vide() { table_.clear(); }
  const std::vector<IDENTIFIANT_RESEAU>& Table() const { return table_; }

 private:
  std::vector<IDENTIFIANT_RESEAU> table_;  // ascending identifiers
};

// State of an identifier at a reference date: present or missing by its last call when that
// call is recent enough, otherwise not called.
EtatReseau EtatIdentifiant(const IDENTIFIANT_RESEAU& r, int64_t referenceNs, uint64_t delaiPresenceNs);

// Image of the network tree for a state: 1 present, 3 missing, 5 not called; one more with a break.
int ImageEtat(const IDENTIFIANT_RESEAU& r, int64_t referenceNs, uint64_t delaiPresenceNs);
// Text of the tree's root: "Network configuration" and the reference date as a long duration.
std::string TexteRacineReseau(int64_t referenceNs);

// "%04X", or "%04X  -  Lost answers %I64u / %I64u" once a call went unanswered.
std::string TexteIdentifiant(const IDENTIFIANT_RESEAU& r);
const char* NomEtat(EtatReseau e);  // "Present", "Missing", "Not called"

// The network configuration section of a text export: padded columns for a word processor, or
// columns followed by separateur for a spreadsheet when it is not empty.
std::string SectionExportReseau(const std::vector<IDENTIFIANT_RESEAU>& table, int64_t referenceNs,
                                uint64_t delaiPresenceNs, const std::string& separateur = "");

}  // namespace brv
