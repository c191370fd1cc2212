#include "brv_core/document/row_reader.h"

#include <algorithm>

#include "brv_core/file/capture_info.h"

namespace brv {

CLecteurLignes::CLecteurLignes(const CBrenvaleDoc& doc, const AcqFile& fichier)
    : doc_(doc),
      fichier_(fichier),
      curseur_(fichier),
      evenements_(doc.CopieEvenements),
      filtre_(doc.CopieFiltre, doc.FiltreUtilisable, doc.Config.ulModeFiltre) {}

bool CLecteurLignes::PointDeDepart(uint64_t ligne, RecordPos& pos, uint64_t& premiereLigne) const {
  // The nearest index record at or before the row, post-trigger index first (its rows come later).
  const bool pretrig = fichier_.layout() == AcqLayout::Pretrigger;
  const auto cherche = [&](const CIndexTrames& index, uint32_t zone) {
    bool trouve = false;
    index.Lit([&](const std::vector<INDEX_TRAMES>& recs) {
      auto it = std::upper_bound(recs.begin(), recs.end(), ligne,
                                 [](uint64_t l, const INDEX_TRAMES& r) { return l < r.ullPremiereLigne; });
      if (it == recs.begin()) return;
      --it;
      uint64_t p = 0;
      if (zone < fichier_.zones().size() && fichier_.zones()[zone].logical_position(it->ullPosFichier, p)) {
        pos = {zone, p};
        premiereLigne = it->ullPremiereLigne;
        trouve = true;
      }
    });
    return trouve;
  };
  const uint32_t derniere = fichier_.zones().empty() ? 0 : static_cast<uint32_t>(fichier_.zones().size() - 1);
  if (cherche(doc_.Resultats.indexPostTrig, derniere)) return true;
  return pretrig && cherche(doc_.Resultats.indexPreTrig, 0);
}

void CLecteurLignes::Remplit(const FrameRecord& rec, const PreviousRecord& prec, uint64_t ligne, bool evenement,
                             bool texte, LIGNE_TRAME& l) {
  l.iLigne = static_cast<int32_t>(ligne);
  l.ullPosFichier = rec.offset;
  l.bDateZero = rec.at.pos == 0 && (rec.at.zone == 1 || fichier_.layout() != AcqLayout::Pretrigger);
  l.bAvantDeclenchement = fichier_.layout() == AcqLayout::Pretrigger && rec.at.zone == 0;
  l.ullDate = rec.date();
  l.bVoie2 = rec.status & vandrel::STATUT_VOIE2;
  l.bErrTx1 = rec.status & vandrel::STATUT_ERR_TX_VOIE1;
  l.bErrTx2 = rec.status & vandrel::STATUT_ERR_TX_VOIE2;
  l.bInterruptionTrafic = rec.status & vandrel::STATUT_INTERRUPTION_TRAFIC;
  l.bStatut5 = rec.status & 0x20;
  l.bStatut6 = rec.status & 0x40;
  l.bStatut7 = rec.status & 0x80;
  l.dateAbs.clear();
  if (dateAbsolue_) {
    const int64_t date = timeline_date(fichier_, rec);
    doc_.Decodeur.FormateDateAbs(static_cast<uint64_t>(date < 0 ? -date : date), date < 0, l.dateAbs);
  }
  ErreurTrame r;
  if (texte) {
    describe_record(doc_.Decodeur, fichier_, rec, prec, false, texte_);
    r = texte_.result;
    // Swapped rather than copied: the strings keep their storage from row to row.
    l.texte.swap(texte_.text);
    l.annotation.swap(texte_.annotation);
    l.dateRel.swap(texte_.reldate);
    l.interTrame.swap(texte_.interframe);
    if (octets_) {
      l.octets.assign(rec.frame, rec.frame + rec.frame_len);
    } else {
      l.octets.clear();
    }
  } else {
    l.texte.clear();
    l.dateRel.clear();
    l.interTrame.clear();
    r = doc_.Decodeur.DecodeTrame(rec.frame_len, rec.frame, nullptr, false, l.annotation);
    l.octets.assign(rec.frame, rec.frame + rec.frame_len);
  }
  const bool erreur = r != TRAME_OK || l.bInterruptionTrafic;
  l.ulMarque = (erreur ? uint32_t{MARQUE_ERREUR} : 0u) | (evenement ? uint32_t{MARQUE_EVENEMENT} : 0u);
}

size_t CLecteurLignes::Lit(uint64_t premiere, size_t nombre, bool texte, std::vector<LIGNE_TRAME>& lignes) {
  // The rows of the last call are filled again in place, so that their strings keep their storage.
  size_t n = 0;
  erreur_.clear();
  if (nombre == 0) {
    lignes.clear();
    return 0;
  }
  FrameRecord rec;
  uint64_t ligne = 0;
  PreviousRecord prec;
  if (suite_ && premiere == ligneSuivante_) {
    // Reading on: the filter state and the previous record are those the last read left.
    ligne = ligneSuivante_;
    prec = precSuivant_;
    curseur_.seek(posSuivante_);
  } else {
    RecordPos depart{0, 0};
    PointDeDepart(premiere, depart, ligne);
    // The record before the start gives the first row its inter-frame time.
    curseur_.seek(depart);
    if (curseur_.prev(rec) == WalkStatus::Record) prec = previous_of(fichier_, rec);
    curseur_.seek(depart);
    filtre_.Reinitialise();
  }
  suite_ = false;

  WalkStatus st;
  while ((st = curseur_.next(rec)) == WalkStatus::Record) {
    if (filtre_.Teste(rec.frame_len, rec.frame).affichee) {
      if (ligne >= premiere) {
        const bool evenement = doc_.EvenementsUtilisables && evenements_.Premiere(rec.frame_len, rec.frame) >= 0;
        if (n == lignes.size()) lignes.emplace_back();
        Remplit(rec, prec, ligne, evenement, texte, lignes[n++]);
      }
      ++ligne;
    }
    prec = previous_of(fichier_, rec);
    if (n == nombre) {
      suite_ = true;
      ligneSuivante_ = ligne;
      posSuivante_ = {rec.at.zone, rec.at.pos + rec.length};
      precSuivant_ = prec;
      break;
    }
  }
  lignes.resize(n);
  if (st == WalkStatus::Invalid) erreur_ = curseur_.invalid_message();
  return n;
}

std::optional<uint64_t> CLecteurLignes::LigneDe(const RecordPos& position) {
  // The nearest index record at or before the record, in the index of its zone; else the start.
  RecordPos depart{0, 0};
  uint64_t ligne = 0;
  const auto& zones = fichier_.zones();
  if (position.zone < zones.size()) {
    const bool pretrig = fichier_.layout() == AcqLayout::Pretrigger && position.zone == 0;
    const CIndexTrames& index = pretrig ? doc_.Resultats.indexPreTrig : doc_.Resultats.indexPostTrig;
    index.Lit([&](const std::vector<INDEX_TRAMES>& recs) {
      for (const INDEX_TRAMES& r : recs) {
        uint64_t p = 0;
        if (!zones[position.zone].logical_position(r.ullPosFichier, p)) continue;
        if (p > position.pos) break;
        depart = {position.zone, p};
        ligne = r.ullPremiereLigne;
      }
    });
  }
  suite_ = false;
  curseur_.seek(depart);
  filtre_.Reinitialise();
  FrameRecord rec;
  while (curseur_.next(rec) == WalkStatus::Record) {
    const bool atteint =
        rec.at.zone > position.zone || (rec.at.zone == position.zone && rec.at.pos >= position.pos);
    if (filtre_.Teste(rec.frame_len, rec.frame).affichee) {
      if (atteint) return ligne;
      ++ligne;
    }
  }
  return std::nullopt;
}

std::string CLecteurLignes::TexteManque(uint64_t ligne) const {
  if (!erreur_.empty()) return erreur_;
  return "The capture ended before row " + std::to_string(ligne) + " of the list.";
}

}  // namespace brv
