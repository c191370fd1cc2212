#include "brv_core/userdata/user_data.h"

#include <cctype>
#include <cstdio>

#include <brv_platform/files.h>

#include <vandrel/bitfield.h>

#include "brv_core/decode/frame_types.h"
#include "brv_core/definitions/value_format.h"

namespace brv {

namespace {

std::string_view rogne(std::string_view t) {
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  return t;
}

std::vector<std::string_view> decoupe(std::string_view t, char sep, size_t max) {
  std::vector<std::string_view> champs;
  while (champs.size() + 1 < max) {
    const size_t p = t.find(sep);
    if (p == std::string_view::npos) break;
    champs.push_back(t.substr(0, p));
    t.remove_prefix(p + 1);
  }
  champs.push_back(t);
  return champs;
}

// "0x" marks a hexadecimal number; others are decimal. At least one digit must be read.
bool lit_nombre(std::string_view t, unsigned long& v) {
  t = rogne(t);
  const bool hexa = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const std::string s(hexa ? t.substr(2) : t);
  const char* f = hexa ? "%lx%n" : "%lu%n";
  int lus = 0;
  return !s.empty() && std::sscanf(s.c_str(), f, &v, &lus) == 1 && lus > 0;
}

bool lit_adresse(std::string_view t, CritereAdresse& a) {
  a = CritereAdresse{};
  t = rogne(t);
  if (t.empty()) return true;
  const size_t bang = t.find('!');
  unsigned long v = 0;
  if (bang != 0) {
    if (!lit_nombre(t.substr(0, bang), v) || v > 0xFFFF) return false;
    a.bDeuxPremiers = true;
    a.usDeuxPremiers = static_cast<uint16_t>(v);
  }
  if (bang != std::string_view::npos) {
    if (!lit_nombre(t.substr(bang + 1), v) || v > 0xFF) return false;
    a.bTroisieme = true;
    a.ucTroisieme = static_cast<uint8_t>(v);
  }
  return true;
}

uint32_t interpretation_de(std::string_view mot) {
  mot = rogne(mot);
  if (mot == "BIN") return UD_BIN;
  if (mot == "DEC") return UD_DEC;
  if (mot == "FLT") return UD_FLT;
  if (mot == "SCT") return UD_SCT;
  if (mot == "ASCII") return UD_ASCII;
  return UD_HEXA;
}

bool adresse_convient(const CritereAdresse& c, const uint8_t* o) {
  if (c.bDeuxPremiers && ((o[0] << 8) | o[1]) != c.usDeuxPremiers) return false;
  return !c.bTroisieme || o[2] == c.ucTroisieme;
}

}  // namespace

LectureDonneesUtilisateur LitDonneesUtilisateur(const std::string& chemin, std::vector<DONNEE_UTILISATEUR>& liste) {
  LectureDonneesUtilisateur r;
  std::string texte;
  if (!platform::read_small_file(chemin, kTailleDonneesUtilisateurMax, texte, r.pourquoi)) {
    r.resultat = LectureDonneesUtilisateur::ErreurOuverture;
    r.message = "Error opening the user data file";
    return r;
  }
  std::vector<DONNEE_UTILISATEUR> lue;
  std::string cle;
  const auto invalide = [&](uint64_t ligne) {
    char t[64];
    std::snprintf(t, sizeof t, "Invalid user data file (line %llu)", static_cast<unsigned long long>(ligne));
    r.resultat = LectureDonneesUtilisateur::Invalide;
    r.ligne = ligne;
    r.message = t;
    return r;
  };
  std::string_view reste = texte;
  for (uint64_t numero = 1; !reste.empty(); ++numero) {
    const size_t fin = reste.find('\n');
    const std::string_view ligne = rogne(reste.substr(0, fin));
    reste.remove_prefix(fin == std::string_view::npos ? reste.size() : fin + 1);
    if (ligne.empty() || ligne.substr(0, 2) == "//" || ligne.find(';') == std::string_view::npos) continue;
    if (ligne.front() == ';') return invalide(numero);
    const auto f = decoupe(ligne, ';', 11);
    const std::string_view nom = rogne(f[0]);
    if (nom.empty() || nom.size() > kLgNomUtilisateurMax || f.size() < 3 || rogne(f[2]).empty()) return invalide(numero);
    const std::string_view genre = rogne(f[1]);
    const auto champ = [&](size_t i) { return i < f.size() ? rogne(f[i]) : std::string_view{}; };

    // Fields 2 to 5 are the key: the same key continues the current entry.
    std::string nouvelleCle;
    for (size_t i = 2; i <= 5; ++i) nouvelleCle.append(champ(i)).push_back(';');
    if (lue.empty() || nouvelleCle != cle) {
      DONNEE_UTILISATEUR d;
      for (std::string_view t : decoupe(champ(2), '!', 256)) {
        unsigned long v = 0;
        if (!lit_nombre(t, v) || v > 0xFF) return invalide(numero);
        d.types.push_back(static_cast<uint8_t>(v));
      }
      if (!champ(3).empty()) {
        unsigned long v = 0;
        if (!lit_nombre(champ(3), v) || v > 0xFFFF) return invalide(numero);
        d.bIdentifiant = true;
        d.usIdentifiant = static_cast<uint16_t>(v);
      }
      if (!lit_adresse(champ(4), d.destination) || !lit_adresse(champ(5), d.source)) return invalide(numero);
      lue.push_back(std::move(d));
      cle = std::move(nouvelleCle);
    }
    DONNEE_UTILISATEUR& d = lue.back();
    if (genre == "ID") {
      d.nomIdentifiant = nom;
    } else if (genre == "DEST") {
      d.nomDestination = nom;
    } else if (genre == "SRC") {
      d.nomSource = nom;
    } else {
      // A bit field needs its position and length.
      unsigned long debut = 0;
      unsigned long longueur = 0;
      if (f.size() < 8 || !lit_nombre(champ(6), debut) || !lit_nombre(champ(7), longueur) || debut > 0xFFFF ||
          longueur > 0xFFFF) {
        return invalide(numero);
      }
      CHAMP_UTILISATEUR c;
      c.nom = nom;
      c.usDebut = static_cast<uint16_t>(debut);
      c.usLongueur = static_cast<uint16_t>(longueur);
      c.ulInterpretation = interpretation_de(champ(8));
      c.bSigne = champ(9) == "S";
      c.bLSB = champ(10) == "LSB";
      d.champs.push_back(std::move(c));
    }
  }
  liste = std::move(lue);
  return r;
}

const DONNEE_UTILISATEUR* ChercheDonneeUtilisateur(const std::vector<DONNEE_UTILISATEUR>& liste, uint16_t len,
                                                   const uint8_t* octets, bool idConnu, uint16_t id) {
  if (len == 0) return nullptr;
  const uint8_t controle = octets[0];
  const TypeTrame* type = TypeTrameDe(controle);
  for (const DONNEE_UTILISATEUR& d : liste) {
    bool candidat = false;
    for (uint8_t t : d.types) candidat = candidat || t == controle;
    if (!candidat) continue;
    if (type == nullptr) return &d;
    switch (type->classe) {
      case ClasseTrame::ReponseDonnee:
        // A named identifier needs the answered identifier to be known: a guess would mislabel.
        if (!d.bIdentifiant || (idConnu && id == d.usIdentifiant)) return &d;
        break;
      case ClasseTrame::Identification:
        if (!d.bIdentifiant || (len >= 3 && ((octets[1] << 8) | octets[2]) == d.usIdentifiant)) return &d;
        break;
      case ClasseTrame::Message:
        if (!d.destination.present() && !d.source.present()) return &d;
        if (len >= 7 && adresse_convient(d.destination, octets + 1) && adresse_convient(d.source, octets + 4)) return &d;
        break;
      default: return &d;
    }
  }
  return nullptr;
}

std::string ValeurChampUtilisateur(const CHAMP_UTILISATEUR& c, uint16_t len, const uint8_t* octets) {
  if (uint32_t{c.usDebut} + c.usLongueur > uint32_t{len} * 8 || c.usLongueur == 0) return {};
  if (c.ulInterpretation == UD_ASCII) {
    std::string t;
    for (unsigned i = 0; i < c.usLongueur / 8u; ++i) {
      const unsigned char ch = octets[c.usDebut / 8u + i];
      t.push_back(std::isprint(ch) ? static_cast<char>(ch) : '.');
    }
    return t;
  }
  if (c.usLongueur > 64) {
    // Longer than a number: its bytes in hexadecimal.
    std::string t;
    char h[4];
    for (unsigned i = 0; i < (c.usLongueur + 7u) / 8u && c.usDebut / 8u + i < len; ++i) {
      std::snprintf(h, sizeof h, i ? " %02X" : "%02X", octets[c.usDebut / 8u + i]);
      t += h;
    }
    return t + " (h)";
  }
  vandrel::struct_CHAMP_BIT_SYNCHRO s{};
  s.usPosValBit = c.usDebut;
  s.ucLgValBit = static_cast<uint8_t>(c.usLongueur);
  s.bLSBPremier = c.bLSB;
  s.enLgInterpretationVal = vandrel::bitfield::code_largeur(c.usLongueur);
  uint64_t v = 0;
  if (!vandrel::bitfield::extraire(octets, len, s, v)) return {};
  return FormateValeur(v, c.ulInterpretation, c.bSigne, c.usLongueur);
}

}  // namespace brv
