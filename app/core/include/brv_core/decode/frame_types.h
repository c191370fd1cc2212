#pragma once
// FIP frame types: control byte, name and class. Statistics, reports and frame definitions use
// this same table so that a type is named and sized the same everywhere.

#include <array>
#include <cstdint>
#include <string_view>

#include <vandrel/acq_file.h>

namespace brv {

enum class ClasseTrame : uint8_t {
  Identification,  // ID_*: control + identifier
  ReponseDonnee,   // RP_DAT*: control + data
  Message,         // RP_MSG_*: control + destination + source + data
  AcquitFin,       // RP_ACK*, RP_FIN: control only
  ListeRequete,    // RP_RQ*: control + identifiers
};

struct TypeTrame {
  uint8_t ucControle;
  std::string_view nom;
  ClasseTrame classe;
};

// In the order of the names' string resources; the frame-type choices list them in this order.
inline constexpr std::array<TypeTrame, 20> kTypesTrame = {{
    {0x03, "ID_DAT", ClasseTrame::Identification},
    {0x05, "ID_MSG", ClasseTrame::Identification},
    {0x29, "ID_RQ1", ClasseTrame::Identification},
    {0x09, "ID_RQ2", ClasseTrame::Identification},
    {0x02, "RP_DAT", ClasseTrame::ReponseDonnee},
    {0x06, "RP_DAT_MSG", ClasseTrame::ReponseDonnee},
    {0x2A, "RP_DAT_RQ1", ClasseTrame::ReponseDonnee},
    {0x0A, "RP_DAT_RQ2", ClasseTrame::ReponseDonnee},
    {0x2E, "RP_DAT_RQ1_MSG", ClasseTrame::ReponseDonnee},
    {0x0E, "RP_DAT_RQ2_MSG", ClasseTrame::ReponseDonnee},
    {0x14, "RP_MSG_ACK even", ClasseTrame::Message},
    {0x94, "RP_MSG_ACK odd", ClasseTrame::Message},
    {0x04, "RP_MSG_NOACK", ClasseTrame::Message},
    {0x30, "RP_ACK+ even", ClasseTrame::AcquitFin},
    {0xB0, "RP_ACK+ odd", ClasseTrame::AcquitFin},
    {0x10, "RP_ACK- even", ClasseTrame::AcquitFin},
    {0x90, "RP_ACK- odd", ClasseTrame::AcquitFin},
    {0x28, "RP_RQ1", ClasseTrame::ListeRequete},
    {0x08, "RP_RQ2", ClasseTrame::ListeRequete},
    {0x40, "RP_FIN", ClasseTrame::AcquitFin},
}};

// Control bytes of the frame types most callers test directly.
inline constexpr uint8_t kCtrlIdDat = 0x03;
inline constexpr uint8_t kCtrlIdMsg = 0x05;
inline constexpr uint8_t kCtrlRpDat = 0x02;
inline constexpr uint8_t kCtrlRpDatMsg = 0x06;

// Line-event markers: two equal bytes, never bus frames; the capture file stores them.
inline constexpr uint8_t kMarqueurInterruptionPc = vandrel::PSEUDO_INTERRUPTION_PC;
inline constexpr uint8_t kMarqueurDelimiteur = vandrel::PSEUDO_DELIMITEUR;
inline constexpr uint8_t kMarqueurGlitch = vandrel::PSEUDO_GLITCH;

// Frame lengths count the control byte through the two CRC bytes.
struct LimitesLongueur {
  uint16_t min;
  uint16_t max;
};

constexpr LimitesLongueur LimitesClasse(ClasseTrame classe) noexcept {
  switch (classe) {
    case ClasseTrame::Identification: return {5, 5};
    case ClasseTrame::ReponseDonnee: return {5, 131};
    case ClasseTrame::Message: return {9, 265};
    case ClasseTrame::AcquitFin: return {3, 3};
    case ClasseTrame::ListeRequete: return {5, 131};
  }
  return {0, 0};
}

namespace detail {
inline constexpr uint8_t kAucunType = 0xFF;

constexpr std::array<uint8_t, 256> ConstruitIndexTypes() {
  std::array<uint8_t, 256> index{};
  for (auto& i : index) i = kAucunType;
  for (size_t i = 0; i < kTypesTrame.size(); ++i) index[kTypesTrame[i].ucControle] = static_cast<uint8_t>(i);
  return index;
}

inline constexpr std::array<uint8_t, 256> kIndexTypes = ConstruitIndexTypes();
}  // namespace detail

// The frame type of a control byte, or nullptr when the byte names no type.
constexpr const TypeTrame* TypeTrameDe(uint8_t controle) noexcept {
  const uint8_t i = detail::kIndexTypes[controle];
  return i == detail::kAucunType ? nullptr : &kTypesTrame[i];
}

// Position of a type in kTypesTrame (the string-resource order), or -1.
constexpr int RangTypeTrame(uint8_t controle) noexcept {
  const uint8_t i = detail::kIndexTypes[controle];
  return i == detail::kAucunType ? -1 : i;
}

// Whether a control byte is one of the six RP_DAT* types.
constexpr bool EstReponseDonnee(uint8_t controle) noexcept {
  const TypeTrame* t = TypeTrameDe(controle);
  return t != nullptr && t->classe == ClasseTrame::ReponseDonnee;
}

}  // namespace brv
