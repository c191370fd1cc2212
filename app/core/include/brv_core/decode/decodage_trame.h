#pragma once
// FIP frame decoder: validates a frame (type, length, CRC), renders it as one line with its
// variable annotation, and formats the dates and durations of a capture.

#include <cstdint>
#include <string>

#include "brv_core/decode/capture_description.h"
#include "brv_core/decode/erreur_trame.h"

namespace brv {

// Longest rendered line (long and short forms); a list row holds 880 characters.
inline constexpr size_t kLgTexteLong = 879;
inline constexpr size_t kLgTexteCourt = 259;

class CDecodageTrame {
 public:
  // The description is read at every use (framing, speed, start time); it must outlive the decoder.
  explicit CDecodageTrame(const DescriptionCapture& capture) : capture_(&capture) {}

  // Padding display: an ID_DAT of this identifier renders as "Padding".
  void DefinitBourrage(bool actif, uint16_t identifiant) {
    bourrageActif_ = actif;
    identifiantBourrage_ = identifiant;
  }
  bool BourrageActif() const { return bourrageActif_; }
  uint16_t IdentifiantBourrage() const { return identifiantBourrage_; }

  // Validates one frame; renders it into *texte when texte is given (short form when texteCourt).
  // annotation is emptied, then filled for valid frames when texte is given.
  // With texte == nullptr nothing is allocated.
  ErreurTrame DecodeTrame(uint16_t len, const uint8_t* octets, std::string* texte, bool texteCourt,
                          std::string& annotation) const;

  // CRC of the first n bytes under the capture's framing.
  uint16_t CalculeCrc(uint32_t n, const uint8_t* octets) const;
  // CRC over len - 2 bytes into calcule; true when it equals the last two bytes (MSB first).
  bool VerifieCrc(uint16_t len, const uint8_t* octets, uint16_t& calcule) const;
  // Bus duration of a frame of len bytes, in the unit of uniteBit.
  int64_t DureeTrameBits(uint16_t len, uint16_t uniteBit) const;

  // Nanoseconds per date unit (a tenth of a bit time) at the capture's speed.
  uint64_t FacteurNs() const;

  // Absolute date "%ih%imn%is the %i/%i/%i"; empty when the calendar conversion fails.
  void FormateDateAbs(uint64_t date, bool avant, std::string& texte) const;
  // Relative date by the short duration rule ("- %s" when negatif); returns nanoseconds.
  int64_t FormateDateRel(uint64_t date, bool negatif, std::string* texte) const;
  // Nanoseconds from the end of the previous frame (lenPrecedente bytes) to the start of this one,
  // ecart date units after the previous frame's start; negative when the frames overlap.
  int64_t InterTrameNs(uint64_t ecart, uint16_t lenPrecedente) const;
  // The same as the frames list shows it.
  void FormateInterTrame(uint64_t ecart, uint16_t lenPrecedente, std::string& texte) const;
  // Long durations of the statistics and the export.
  static void FormateDuree(int64_t ns, std::string& texte);
  // Short duration rule on a nanosecond count ("unknown" when negative).
  static void FormateDureeCourte(int64_t ns, std::string& texte);

  const DescriptionCapture& Capture() const { return *capture_; }

 private:
  const DescriptionCapture* capture_;
  bool bourrageActif_ = false;
  uint16_t identifiantBourrage_ = 0;
};

}  // namespace brv
