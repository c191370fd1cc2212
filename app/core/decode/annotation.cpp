// Names the FIP network-management variables and the FIPIO/FIPWAY telegrams a frame carries.

#include <cstdio>
#include <cstring>
#include <string_view>

#include "brv_core/decode/unite_requests.h"
#include "rendu_trame.h"

namespace brv::rendu {
namespace {

constexpr const char* kRequete = "(Request)";
constexpr const char* kReponse = "(Answer)";

size_t Copie(char* texte, std::string_view s) noexcept {
  std::memcpy(texte, s.data(), s.size());
  return s.size();
}

size_t Formate(char* texte, const char* format, auto... valeurs) noexcept {
  const int n = std::snprintf(texte, kTailleAnnotation, format, valeurs...);
  if (n <= 0) return 0;
  return static_cast<size_t>(n) < kTailleAnnotation ? static_cast<size_t>(n) : kTailleAnnotation - 1;
}

size_t AnnotationIdDat(uint16_t id, char* texte) noexcept {
  switch (id) {
    case 0x9002: return Formate(texte, "Check_Stations_Presence variable %s", kRequete);
    case 0x9003: return Formate(texte, "Bus Arbitrator Synchronisation Variable %s", kRequete);
    case 0x9008: return Formate(texte, "Segment Parameters Variable %s", kRequete);
    case 0x9080: return Copie(texte, "Padding Variable ");
    default: break;
  }
  if (id >= 0x1400 && id <= 0x143F) return Formate(texte, "Presence of the station Variable %d %s", id & 0xFF, kRequete);
  if (id >= 0x1000 && id <= 0x103F) return Copie(texte, "Identification variable");
  if (id <= 0x001F) return Formate(texte, "Common words to the station %d %s", static_cast<int>(id), kRequete);
  return 0;
}

size_t AnnotationIdMsg(uint16_t id, char* texte) noexcept {
  if (id >= 0x0D00 && id <= 0x0D0F) return Formate(texte, "Telegram to the station %d %s", id & 0xFF, kRequete);
  if (id <= 0x001F) return Formate(texte, "Authorization to emit UNI_TE request for the station %d", static_cast<int>(id));
  return 0;
}

bool MotsCommuns(const uint8_t* d, size_t n) noexcept { return n == 11 && d[0] == 0x40 && d[1] == 0x09; }

size_t AnnotationRpDat(const uint8_t* d, size_t n, char* texte) noexcept {
  // Every network-management answer is at least 6 data bytes long.
  if (n >= 6 && d[0] == 0x50 && d[2] == 0x80) {
    if (d[1] == 0x06 && n == 8) return Formate(texte, "Segment Parameters Variable %s", kReponse);
    if (d[1] == 0x22 && n == 36) return Formate(texte, "Check_Stations_Presence variable %s", kReponse);
    if (d[1] == 0x04 && n == 6) return Formate(texte, "Bus Arbitrator Synchronisation Variable %s", kReponse);
    if (d[1] == 0x05 && n == 7 && d[3] == 0x03) return Formate(texte, "Presence of the station variable %s", kReponse);
    return 0;
  }
  if (MotsCommuns(d, n)) return Formate(texte, "Common words %s", kReponse);
  return 0;
}

// FIPIO/FIPWAY telegrams: both address segments 09H or both 0DH; stations are signed bytes.
size_t AnnotationMessage(uint16_t len, const uint8_t* o, char* texte) noexcept {
  if (o[1] != o[4] || (o[1] != 0x09 && o[1] != 0x0D)) return 0;
  const int destination = static_cast<int8_t>(o[2]);
  const int source = static_cast<int8_t>(o[5]);
  if (o[7] == 0xF5) return Formate(texte, "Telegram from station %d to station %d", source, destination);
  // A UNI-TE exchange needs its service kind (byte 12) and code (byte 14) inside the frame.
  if (o[7] != 0xF1 || len <= 14) return 0;
  const uint8_t code = o[14];
  std::string_view genre;
  std::string_view nom;
  if (o[12] == 0x09) {
    genre = "Request";
    nom = NomRequeteUniTe(code);
  } else if (o[12] == 0x19) {
    genre = "Report";
    nom = NomCompteRenduUniTe(code);
  }
  return Formate(texte, "%.*s %.*s (code %x)  from station %d to station %d", static_cast<int>(genre.size()),
                 genre.data(), static_cast<int>(nom.size()), nom.data(), static_cast<unsigned>(code), source,
                 destination);
}

}  // namespace

size_t RendAnnotation(const TypeTrame& type, uint16_t len, const uint8_t* octets, char* texte) noexcept {
  switch (type.ucControle) {
    case kCtrlIdDat: return AnnotationIdDat(static_cast<uint16_t>((octets[1] << 8) | octets[2]), texte);
    case kCtrlIdMsg: return AnnotationIdMsg(static_cast<uint16_t>((octets[1] << 8) | octets[2]), texte);
    case kCtrlRpDat: return AnnotationRpDat(octets + 1, len - 3u, texte);
    case kCtrlRpDatMsg:
      return MotsCommuns(octets + 1, len - 3u) ? Copie(texte, "Common words and demand of sending UNI_TE request") : 0;
    default: break;
  }
  return type.classe == ClasseTrame::Message ? AnnotationMessage(len, octets, texte) : 0;
}

}  // namespace brv::rendu
