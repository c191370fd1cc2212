#pragma once
// A linear capture of the given records, opened as the program opens it and read again, so that
// its rows exist: what the report and export tests start from.

#include <gtest/gtest.h>

#include "brv_core/analysis/monitor.h"
#include "support/capture_builder.h"

namespace brv::test {

inline void capture_relue(const std::string& chemin, const std::vector<TestRecord>& recs, uint32_t boitier,
                          CBrenvaleDoc& doc, AcqFile& fichier, ResultatTache& resultat) {
  FileImage image;
  const auto stream = stream_of(recs);
  image.put(88, stream);
  image.header.ullLgZonePostTrig = stream.size();
  image.header.enTypeBoitier = boitier;
  image.save(chemin);
  ASSERT_TRUE(doc.OuvrirAcquisition(chemin));
  doc.ResetResults(false);
  IObservateurTache obs;
  CFileRequetes req;
  FncTacheAcq(doc, obs, req, resultat);
  ASSERT_EQ(fichier.open(chemin), AcqOpenStatus::Ok);
}

}  // namespace brv::test
