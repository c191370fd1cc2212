#pragma once
// TLV payload of the card's event frames: items of a tag byte (bit 7: two-byte big-endian
// length, bit 6: constructed), a length and a value. One 0xC0 item per bus frame.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <vector>

namespace vandrel {

namespace tlv {
inline constexpr uint8_t kLongueurDeuxOctets = 0x80;
inline constexpr uint8_t kConstruit = 0x40;
inline constexpr uint8_t TAG_FIP = 0xC0;
inline constexpr uint8_t TAG_STATUT = 0x20;
inline constexpr uint8_t TAG_STANDARD = 0x21;
inline constexpr uint8_t TAG_OCTET_22 = 0x22;
inline constexpr uint8_t TAG_GAP = 0x30;
inline constexpr uint8_t TAG_DUREE = 0x31;
inline constexpr uint8_t TAG_TRAME = 0x90;
inline constexpr uint8_t STANDARD_FIP = 1;
inline constexpr uint8_t STANDARD_WORLDFIP = 16;

// Size of the item that starts at p (header included), or 0 when its header or value runs past end.
size_t taille_item(const uint8_t* p, const uint8_t* end);
// Header size of an item whose tag is t.
inline size_t taille_entete(uint8_t t) { return (t & kLongueurDeuxOctets) ? 3 : 2; }

// A payload is consistent when walking it item by item ends exactly at its last byte.
bool coherent(std::span<const uint8_t> payload);
}  // namespace tlv

class CTLVComponent {
 public:
  virtual ~CTLVComponent() = default;
  virtual void dump(std::ostream& out) const = 0;
  virtual void to_bytes(std::vector<uint8_t>& out) const = 0;

  uint8_t tag() const { return m_tag; }
  uint32_t length() const { return m_length; }
  const std::vector<uint8_t>& value() const { return m_value; }
  bool two_byte_length() const { return m_two_byte_length; }
  bool constructed() const { return m_constructed; }
  const std::vector<std::shared_ptr<CTLVComponent>>& children() const { return m_children; }

 protected:
  CTLVComponent() = default;
  // Tag, flags, value and length of the item in `item` (a whole item, as taille_item measured it).
  void lire_entete(std::span<const uint8_t> item);
  void ecrire_entete(std::vector<uint8_t>& out) const;

  uint8_t m_tag = 0;
  uint32_t m_length = 0;
  std::vector<uint8_t> m_value;
  bool m_two_byte_length = false;
  bool m_constructed = false;
  std::vector<std::shared_ptr<CTLVComponent>> m_children;
};

class CTLVLeaf : public CTLVComponent {
 public:
  explicit CTLVLeaf(std::span<const uint8_t> item);
  void dump(std::ostream& out) const override;
  void to_bytes(std::vector<uint8_t>& out) const override;
};

class CTLVNode : public CTLVComponent {
 public:
  explicit CTLVNode(std::span<const uint8_t> item);
  void dump(std::ostream& out) const override;
  void to_bytes(std::vector<uint8_t>& out) const override;

 protected:
  CTLVNode() = default;
};

// Parses a consistent sequence of items into nodes and leaves.
std::vector<std::shared_ptr<CTLVComponent>> parse_items(std::span<const uint8_t> bytes);

// One bus frame: the fields of a 0xC0 node that the engine uses.
class CFipNode : public CTLVNode {
 public:
  CFipNode() = default;
  explicit CFipNode(const CTLVNode& node);
  // Fills this node from the bytes of one 0xC0 item without building the child objects: the card
  // thread's path, allocation-free once the frame buffer has grown.
  void lire(std::span<const uint8_t> item);

  uint16_t usStatut = 0;
  bool bVoie2 = false, bErrTxVoie1 = false, bErrTxVoie2 = false, bInterruption5 = false, bInterruption4 = false,
       bDelimiteur2 = false, bGlitch = false, bDelimiteur1 = false;
  uint8_t ucStandard = 0;
  bool bTramesTypeFip = false;
  bool bTramesTypeWorldFip = false;
  uint8_t ucOctet22 = 0;
  uint32_t ulGap = 0;
  uint32_t ulGapSuivant = 0;
  uint16_t usDuree = 0;
  std::vector<uint8_t> trame;
  bool bMarqueDebordement = false;

 private:
  void efface();
  void applique(uint8_t tag, const uint8_t* v, size_t n);
  void derive();
};

}  // namespace vandrel
