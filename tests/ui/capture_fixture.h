#pragma once
// Captures for the frames list tests: written byte by byte, opened and read again as the program
// does, so that their rows exist; and the rows as the core reads them, to compare with the cells.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

#include "brv_core/analysis/monitor.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/decode/crc.h"
#include "brv_core/document/row_reader.h"
#include "support/capture_builder.h"
#include "support/quiet_reporter.h"

namespace brv::test {

inline std::vector<uint8_t> avec_crc(std::vector<uint8_t> f, uint16_t faux = 0) {
  const uint16_t crc = CrcTrame(true, f.data(), f.size()) ^ faux;
  f.push_back(static_cast<uint8_t>(crc >> 8));
  f.push_back(static_cast<uint8_t>(crc));
  return f;
}

// Runs the event loop until ok() holds or the time (ms) has gone.
inline bool attend(const std::function<bool()>& ok, int ms = 1000) {
  QElapsedTimer t;
  t.start();
  while (!ok() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return ok();
}

class CaptureUi {
 public:
  // Frames whose control byte is 03H (ID_DAT) carry the event mark.
  void evenements_id_dat() { idDatEvenement_ = true; }

  void relit(FileImage& image) {
    image.save(chemin_);
    ASSERT_TRUE(doc.OuvrirAcquisition(chemin_));
    if (idDatEvenement_) {
      DEFINITION_TRAME evt;
      DefinitNom(evt, "id_dat");
      CHAMP_BITS c;
      c.ucLongueur = 8;
      c.ulOperation = OP_EGAL;
      c.ullValeur = 0x03;
      evt.champs = {c};
      evt.bUtilisee = 1;
      doc.Config.evenements.nb = 1;
      doc.Config.evenements.defs[0] = evt;
      doc.ReconstruitCopiesEvenements();
    }
    doc.ResetResults(false);
    IObservateurTache obs;
    CFileRequetes req;
    ResultatTache res;
    FncTacheAcq(doc, obs, req, res);
    ASSERT_EQ(fichier.open(chemin_), AcqOpenStatus::Ok);
  }

  void lineaire(const std::vector<TestRecord>& recs, uint32_t boitier) {
    FileImage image;
    const auto flux = stream_of(recs);
    image.put(vandrel::kTailleEntete, flux);
    image.header.ullLgZonePostTrig = flux.size();
    image.header.enTypeBoitier = boitier;
    image.header.uliDateDetect = kDetect;
    relit(image);
  }

  // nbAvant records before the trigger, dates ending 30 s before it, then nbApres after it.
  void pretrig(size_t nbAvant, size_t nbApres) {
    constexpr uint64_t kDateTrig = 300'000'000;  // 30 s in 100 ns units
    std::vector<TestRecord> avant, apres;
    for (size_t i = 0; i < nbAvant; ++i) avant.push_back({i * 1000, avec_crc({0x03, 0x01, static_cast<uint8_t>(i)}), 0});
    for (size_t i = 0; i < nbApres; ++i) apres.push_back({i * 1000, avec_crc({0x03, 0x02, static_cast<uint8_t>(i)}), 0});
    const auto pre = stream_of(avant);
    const auto post = stream_of(apres);
    FileImage image;
    const uint64_t base = vandrel::kTailleEntete;
    image.put(base, pre);
    image.put(base + pre.size(), post);
    image.header.ullPosZonePreTrig = base;
    image.header.ullPosZonePostTrig = base + pre.size();
    image.header.ullLgZonePostTrig = post.size();
    image.header.ullPosTournantDebut = base;
    image.header.ullPosTournantFin = base + pre.size() - 1;
    image.header.ullDateTrig = kDateTrig;
    image.header.uliDateDetect = kDetect;
    relit(image);
  }

  uint64_t nombre() const { return doc.Resultats.ulNbTramesAffichables; }

  // Rows as the core reads them, with their absolute dates.
  std::vector<LIGNE_TRAME> lignes() {
    CLecteurLignes lecteur(doc, fichier);
    lecteur.AvecDateAbsolue(true);
    std::vector<LIGNE_TRAME> l;
    lecteur.Lit(0, nombre(), true, l);
    return l;
  }

  // A start time in 2024, as a count of 100 ns since 1601.
  static constexpr uint64_t kDetect = 133'500'000'000'000'000ULL;

  TempDir dir;
  RapportSilencieux rapport;
  CBrenvaleDoc doc{rapport, dir.file("")};
  AcqFile fichier;

 private:
  std::string chemin_ = dir.file("capture.dat");
  bool idDatEvenement_ = false;
};

}  // namespace brv::test
