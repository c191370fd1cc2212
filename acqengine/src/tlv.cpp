#include "vandrel/tlv.h"

#include <cstdio>

namespace vandrel {
namespace tlv {

size_t taille_item(const uint8_t* p, const uint8_t* end) {
  if (p >= end) return 0;
  const size_t entete = taille_entete(p[0]);
  if (static_cast<size_t>(end - p) < entete) return 0;
  const size_t lg = entete == 3 ? (size_t{p[1]} << 8) | p[2] : p[1];
  if (static_cast<size_t>(end - p) - entete < lg) return 0;
  return entete + lg;
}

bool coherent(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const uint8_t* end = p + payload.size();
  while (p < end) {
    const size_t n = taille_item(p, end);
    if (n == 0) return false;
    p += n;
  }
  return true;
}

}  // namespace tlv

void CTLVComponent::lire_entete(std::span<const uint8_t> item) {
  m_tag = item[0];
  m_two_byte_length = (m_tag & tlv::kLongueurDeuxOctets) != 0;
  m_constructed = (m_tag & tlv::kConstruit) != 0;
  const size_t entete = tlv::taille_entete(m_tag);
  m_value.assign(item.begin() + static_cast<std::ptrdiff_t>(entete), item.end());
  m_length = static_cast<uint32_t>(m_value.size());
}

void CTLVComponent::ecrire_entete(std::vector<uint8_t>& out) const {
  out.push_back(m_tag);
  if (m_two_byte_length) out.push_back(static_cast<uint8_t>(m_length >> 8));
  out.push_back(static_cast<uint8_t>(m_length));
}

CTLVLeaf::CTLVLeaf(std::span<const uint8_t> item) { lire_entete(item); }

void CTLVLeaf::dump(std::ostream& out) const {
  out << "tag 0x" << std::hex << int{m_tag} << std::dec << " length " << m_length;
  if (m_tag == tlv::TAG_TRAME) {
    char hex[8];
    for (size_t i = 0; i < m_value.size() && i < 10; ++i) {
      std::snprintf(hex, sizeof hex, " 0x%02X", m_value[i]);
      out << hex;
    }
  }
  out << '\n';
}

void CTLVLeaf::to_bytes(std::vector<uint8_t>& out) const {
  ecrire_entete(out);
  out.insert(out.end(), m_value.begin(), m_value.end());
}

CTLVNode::CTLVNode(std::span<const uint8_t> item) {
  lire_entete(item);
  m_children = parse_items(m_value);
}

void CTLVNode::dump(std::ostream& out) const {
  for (const auto& c : m_children) c->dump(out);
}

void CTLVNode::to_bytes(std::vector<uint8_t>& out) const {
  ecrire_entete(out);
  const size_t debut = out.size();
  for (const auto& c : m_children) c->to_bytes(out);
  // A value that was not a whole sequence of items goes out as it came, so the length holds.
  if (out.size() - debut != m_value.size()) {
    out.resize(debut);
    out.insert(out.end(), m_value.begin(), m_value.end());
  }
}

std::vector<std::shared_ptr<CTLVComponent>> parse_items(std::span<const uint8_t> bytes) {
  std::vector<std::shared_ptr<CTLVComponent>> items;
  const uint8_t* p = bytes.data();
  const uint8_t* end = p + bytes.size();
  while (p < end) {
    const size_t n = tlv::taille_item(p, end);
    if (n == 0) break;  // an inconsistent tail: the items before it stand
    const std::span<const uint8_t> item(p, n);
    if (p[0] & tlv::kConstruit) {
      items.push_back(std::make_shared<CTLVNode>(item));
    } else {
      items.push_back(std::make_shared<CTLVLeaf>(item));
    }
    p += n;
  }
  return items;
}

CFipNode::CFipNode(const CTLVNode& node) {
  m_tag = node.tag();
  m_length = node.length();
  m_value = node.value();
  m_two_byte_length = node.two_byte_length();
  m_constructed = node.constructed();
  m_children = node.children();
  efface();
  for (const auto& c : m_children) applique(c->tag(), c->value().data(), c->value().size());
  derive();
}

void CFipNode::lire(std::span<const uint8_t> item) {
  efface();
  m_tag = item[0];
  const size_t entete = tlv::taille_entete(m_tag);
  const uint8_t* p = item.data() + entete;
  const uint8_t* end = item.data() + item.size();
  while (p < end) {
    const size_t n = tlv::taille_item(p, end);
    if (n == 0) break;
    const size_t h = tlv::taille_entete(p[0]);
    applique(p[0], p + h, n - h);
    p += n;
  }
  derive();
}

void CFipNode::efface() {
  usStatut = 0;
  ucStandard = 0;
  ucOctet22 = 0;
  ulGap = ulGapSuivant = 0;
  usDuree = 0;
  trame.clear();
  bMarqueDebordement = false;
}

void CFipNode::applique(uint8_t tag, const uint8_t* v, size_t n) {
  switch (tag) {
    case tlv::TAG_STATUT:
      if (n == 2) usStatut = static_cast<uint16_t>((v[0] << 8) | v[1]);
      break;
    case tlv::TAG_STANDARD:
      if (n == 1) ucStandard = v[0];
      break;
    case tlv::TAG_OCTET_22:
      if (n == 1) ucOctet22 = v[0];
      break;
    case tlv::TAG_GAP:
      if (n >= 1 && n <= 4) {
        uint32_t g = 0;
        for (size_t i = 0; i < n; ++i) g = (g << 8) | v[i];
        ulGap = g;
      }
      break;
    case tlv::TAG_DUREE:
      if (n == 2) usDuree = static_cast<uint16_t>((v[0] << 8) | v[1]);
      break;
    case tlv::TAG_TRAME:
      trame.assign(v, v + n);
      break;
    default:
      break;
  }
}

void CFipNode::derive() {
  bVoie2 = usStatut & (1u << 10);
  bErrTxVoie1 = usStatut & (1u << 8);
  bErrTxVoie2 = usStatut & (1u << 9);
  bInterruption5 = usStatut & (1u << 5);
  bInterruption4 = usStatut & (1u << 4);
  bDelimiteur2 = usStatut & (1u << 2);
  bGlitch = usStatut & (1u << 0);
  bDelimiteur1 = usStatut & (1u << 1);
  bTramesTypeFip = ucStandard == tlv::STANDARD_FIP;
  bTramesTypeWorldFip = ucStandard == tlv::STANDARD_WORLDFIP;
}

}  // namespace vandrel
