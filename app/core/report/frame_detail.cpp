// Frame detail report: the page of one frame, the answered identifier and the temporary file.

#include "brv_core/report/frame_detail.h"

#include "brv_core/report/html_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include <brv_platform/files.h>

#include "brv_core/decode/frame_types.h"
#include "brv_core/file/record_cursor.h"

namespace brv {

namespace detail_trame {
std::string Fmt(const char* format, ...) {
  char court[512];
  va_list args;
  va_start(args, format);
  va_list copie;
  va_copy(copie, args);
  const int n = std::vsnprintf(court, sizeof court, format, args);
  va_end(args);
  std::string t;
  if (n < 0) {
    va_end(copie);
    return t;
  }
  if (static_cast<size_t>(n) < sizeof court) {
    t.assign(court, static_cast<size_t>(n));
  } else {
    t.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(t.data(), t.size(), format, copie);
    t.resize(static_cast<size_t>(n));
  }
  va_end(copie);
  return t;
}
}  // namespace detail_trame

namespace {

using detail_trame::Fmt;

constexpr const char* kEntete =
    "<HTML>\n<HEAD>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
    "<STYLE type=\"text/css\">\n"
    "body { color: black; background-color: white; font-family: sans-serif; font-size: 75%; margin: 0.5em; }\n"
    "p { margin-top: 0.5em; }\n"
    "div.champbits { margin-left: 0.5em; }\n"
    "</STYLE>\n<TITLE>Frame detail</TITLE>\n</HEAD>\n<BODY>\n";
constexpr const char* kFin = "\n\n</HTML>";
constexpr const char* kIlisible =
    "<P align=\"center\"><font color=\"red\"><B>Error getting<BR>frame contents</B></font></P>\n";

// Texts from the user data file and from frame bytes are data, never markup.
std::string Echappe(std::string_view t) { return EchappeHtml(t); }

void Libelle(std::string& p, const char* libelle, const std::string& valeur) {
  p += Fmt("<B>%s :</B> %s<BR>\n", libelle, Echappe(valeur).c_str());
}
void LibelleBleu(std::string& p, const char* libelle, const std::string& nom) {
  p += Fmt("<B>%s :</B><font color=\"blue\"> %s</font><BR>\n", libelle, Echappe(nom).c_str());
}
void Rouge(std::string& p, const std::string& texte) {
  p += Fmt("<font color=\"red\"><B>%s</B></font><BR>\n", Echappe(texte).c_str());
}

std::string TexteIdentifiant(uint8_t controle, uint16_t id) {
  std::string t = Fmt("%04X", id);
  if (controle == kCtrlIdDat) {
    if (id == 0x9002) t += " Variable de présence des stations";
    else if (id == 0x9003) t += " Variable de synchronisation de l'arbitre de bus";
    else if (id == 0x9008) t += " Variable de paramètres de segment";
    else if (id >= 0x1400 && id <= 0x143F) t += Fmt(" Presence request to station %d", id & 0xFF);
    else if (id < 0x20) t += Fmt(" Common words request to station %d", id);
  } else if (controle == kCtrlIdMsg && id >= 0x0D00 && id <= 0x0D0F) {
    t += Fmt(" Telegram request from bus arbitrator to station %d", id & 0xFF);
  }
  return t;
}

std::string TexteAdresse(const uint8_t* a) { return Fmt("%04X %02X", (a[0] << 8) | a[1], a[2]); }

std::string Telegramme(uint16_t len, const uint8_t* o, bool contenu) {
  std::string t = Fmt("Telegram from station %d to station %d<BR>", o[8], o[10]);
  if (contenu) {
    t += "Telegram content:<BR>";
    for (unsigned i = 16; i < 32u && i + 2u < len; ++i) t += Fmt(i == 16 ? "%02X" : " %02X", o[i]);
    t += "<BR>";
  }
  return t;
}

// Bytes of a stretch of bits; partial bytes shifted to the stretch start and masked to its end.
std::string OctetsTroncon(const uint8_t* o, uint32_t debut, uint32_t fin) {
  std::string t;
  for (uint32_t k = debut / 8; k * 8 < fin; ++k) {
    const uint32_t bas = std::max(debut, k * 8) - k * 8;
    const uint32_t haut = std::min(fin, k * 8 + 8) - k * 8;
    const unsigned v = (o[k] >> bas) & ((1u << (haut - bas)) - 1u);
    t += Fmt(t.empty() ? "%02X" : " %02X", v);
  }
  return t;
}

std::string Contenu(const DONNEE_UTILISATEUR* ud, uint16_t len, const uint8_t* o, uint32_t debut) {
  std::string d = "<DIV class=\"champbits\">\n";
  const uint32_t fin = uint32_t{len} * 8;
  uint32_t pos = debut;
  while (pos < fin) {
    const CHAMP_UTILISATEUR* champ = nullptr;
    uint32_t suivant = fin;
    if (ud) {
      for (const auto& c : ud->champs) {
        if (c.usLongueur == 0) continue;
        if (c.usDebut == pos && !champ) champ = &c;
        if (c.usDebut > pos) suivant = std::min<uint32_t>(suivant, c.usDebut);
      }
    }
    if (champ) {
      d += Fmt("<font color=\"blue\"><B>%s</B> =</font> %s<BR>\n", Echappe(champ->nom).c_str(),
               Echappe(ValeurChampUtilisateur(*champ, len, o)).c_str());
      pos += champ->usLongueur;
    } else {
      d += OctetsTroncon(o, pos, suivant) + "<BR>\n";
      pos = suivant;
    }
  }
  return d + "</DIV>\n";
}

}  // namespace

std::string FormateDetailTrame(const ContexteDetail& ctx, const LIGNE_TRAME* ligne) {
  std::string page = kEntete;
  if (!ligne || ligne->octets.empty() || ligne->octets.size() > UINT16_MAX) return page + kIlisible + kFin;
  const CBrenvaleDoc& doc = ctx.doc;
  const uint16_t len = static_cast<uint16_t>(ligne->octets.size());
  const uint8_t* o = ligne->octets.data();

  std::string annotation;
  const ErreurTrame res = doc.Decodeur.DecodeTrame(len, o, nullptr, false, annotation);
  const TypeTrame* type = TypeTrameDe(o[0]);
  const bool reponse = EstReponseDonnee(o[0]);
  std::string fipio;
  if (ctx.idConnu && reponse && o[0] == kCtrlRpDat) fipio += detail_trame::VariableReseau(ctx.id, len, o);

  const DONNEE_UTILISATEUR* ud = nullptr;
  if (ctx.donnees && (res < TRAME_INTERRUPTION_PC || res > TRAME_CONTROLE_INCONNU))
    ud = ChercheDonneeUtilisateur(*ctx.donnees, len, o, ctx.idConnu && reponse, ctx.id);

  std::string p = "<P>\n";
  Libelle(p, "Absolute date", ligne->dateAbs);
  Libelle(p, "Relative date", ligne->dateRel);
  if (!ligne->interTrame.empty()) Libelle(p, "Interframe", ligne->interTrame);
  if (doc.Voie2) Libelle(p, "Receiving channel", ligne->bVoie2 ? "2" : "1");
  if (doc.Voie1 && ligne->bErrTx1) Rouge(p, "Transmission error on channel 1");
  if (doc.Voie2 && ligne->bErrTx2) Rouge(p, "Transmission error on channel 2");
  if (ligne->bInterruptionTrafic) Rouge(p, "Traffic interruption detected");
  Libelle(p, "Frame length", Fmt("%d bytes", len));
  p += "</P>\n";
  page += p;

  p = "<P>\n";
  if (res >= TRAME_INTERRUPTION_PC && res <= TRAME_GLITCH) {
    static const char* const kEvenements[] = {"Acquisition interruption due to computer activity",
                                              "Frame start delimiter incorrect or unknown", "Line glitch"};
    Rouge(p, kEvenements[res - TRAME_INTERRUPTION_PC]);
    return page + p + "</P>\n" + kFin;
  }

  bool montreContenu = true;
  const bool message = type && type->classe == ClasseTrame::Message;
  uint32_t debut = 8;
  if (res == TRAME_CONTROLE_INCONNU || !type) {
    Rouge(p, "Impossible to determine frame type (Unknown control)");
  } else {
    Libelle(p, "Frame type", std::string(type->nom));
    montreContenu = type->classe == ClasseTrame::ReponseDonnee || message || type->classe == ClasseTrame::ListeRequete;
    if (res == TRAME_TROP_COURTE) Rouge(p, "Too short frame");
    else if (res == TRAME_TROP_LONGUE) Rouge(p, "Too long frame");
    else if (res == TRAME_LONGUEUR_INVALIDE) Rouge(p, "Invalid frame length");
    else {
      if (type->classe == ClasseTrame::Identification) {
        const uint16_t id = static_cast<uint16_t>((o[1] << 8) | o[2]);
        if (ud && !ud->nomIdentifiant.empty()) LibelleBleu(p, "Identifier", ud->nomIdentifiant);
        else Libelle(p, "Identifier", TexteIdentifiant(o[0], id));
      } else if (message) {
        if (ud && !ud->nomDestination.empty()) LibelleBleu(p, "Destination address", ud->nomDestination);
        else Libelle(p, "Destination address", TexteAdresse(o + 1));
        if (ud && !ud->nomSource.empty()) LibelleBleu(p, "Source address", ud->nomSource);
        else Libelle(p, "Source address", TexteAdresse(o + 4));
        // Stations at bytes 8 and 10, before the CRC.
        if (len > 12 && o[1] == 0x0D && o[4] == 0x0D && o[7] == 0xF5)
          fipio += Telegramme(len, o, ctx.afficheTelegramme);
      }
      const uint16_t lu = static_cast<uint16_t>((o[len - 2] << 8) | o[len - 1]);
      if (res == TRAME_CRC) {
        const uint16_t calcule = doc.Decodeur.CalculeCrc(len - 2u, o);
        Rouge(p, Fmt("CErroneous CRC (read = 0x%04X, calculated = 0x%04X)", lu, calcule));
      } else {
        Libelle(p, "CRC", Fmt("%04X", lu));
      }
      if (message) fipio += detail_trame::ServiceUniTe(len, o);
    }
    if (message) debut = 56;
  }
  page += p + "</P>\n";

  bool champs = false;
  if (ud) {
    for (const auto& c : ud->champs) {
      champs = champs || c.usLongueur > 0;
      if (c.usLongueur > 0 && c.usDebut < debut) debut = 0;
    }
  }
  if (montreContenu || champs) {
    p = "<P>\n";
    Libelle(p, "Frame contents", debut == 0 ? "(from position 0)" : "(after the fixed fields)");
    p += Contenu(ud, len, o, debut);
    page += p + "</P>\n";
  }

  page += "<P>\n<B>FIPIO-FIPWAY :</B> <BR>" + fipio + "</P>\n";
  return page + kFin;
}

bool IdentifiantRepondu(const AcqFile& fichier, uint64_t posFichier, uint16_t& id) {
  const auto& zones = fichier.zones();
  for (uint32_t z = 0; z < zones.size(); ++z) {
    uint64_t pos = 0;
    if (!zones[z].logical_position(posFichier, pos)) continue;
    RecordCursor curseur(fichier, size_t{1} << 16);
    curseur.seek({z, pos});
    FrameRecord rec;
    while (curseur.prev(rec) == WalkStatus::Record) {
      if (rec.frame_len == 5 && rec.frame[0] == kCtrlIdDat) {
        id = static_cast<uint16_t>((rec.frame[1] << 8) | rec.frame[2]);
        return true;
      }
    }
    return false;
  }
  return false;
}

std::string PageDetailTrame(const CBrenvaleDoc& doc, const AcqFile& fichier, uint64_t ligne,
                            const std::vector<DONNEE_UTILISATEUR>* donnees, bool afficheTelegramme) {
  ContexteDetail ctx{doc, donnees, false, 0, afficheTelegramme};
  CLecteurLignes lecteur(doc, fichier);
  lecteur.AvecDateAbsolue(true);
  lecteur.AvecOctets(true);
  std::vector<LIGNE_TRAME> lignes;
  if (lecteur.Lit(ligne, 1, true, lignes) != 1 || lignes.empty()) return FormateDetailTrame(ctx, nullptr);
  const LIGNE_TRAME& l = lignes.front();
  if (!l.octets.empty() && EstReponseDonnee(l.octets[0]))
    ctx.idConnu = IdentifiantRepondu(fichier, l.ullPosFichier, ctx.id);
  return FormateDetailTrame(ctx, &l);
}

std::string CheminDetailTrame() {
  // One private folder per run: a fixed name in a shared folder is where a link may wait. Made
  // again when something cleaned the temporary folder during a long session.
  static std::mutex verrou;
  static std::string dossier;
  std::lock_guard lock(verrou);
  struct stat st {};
  if (dossier.empty() || ::lstat(dossier.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    const char* tmp = std::getenv("TMPDIR");
    std::string modele = tmp && *tmp ? tmp : "/tmp";
    if (modele.back() != '/') modele += '/';
    modele += "brenvale-XXXXXX";
    dossier = ::mkdtemp(modele.data()) ? modele : std::string();
  }
  return dossier.empty() ? std::string() : dossier + "/frame.htm";
}

bool EcritDetailTrame(const std::string& page, const std::string& chemin, std::string& message) {
  platform::AtomicFile out;
  if (chemin.empty() || !out.open(chemin) || !out.write(page) || !out.commit()) {
    message = "Error formatting frame detail:\nImpossible to create a temporary file.";
    return false;
  }
  return true;
}

}  // namespace brv
