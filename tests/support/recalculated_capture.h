#pragma once
// Captures opened as the program opens them, to be read again: a linear capture of given records
// (read again here, so that its rows exist: what the report and export tests start from), or a
// sample capture of any layout.

#include <gtest/gtest.h>

#include "brv_core/analysis/monitor.h"
#include "brv_core/synth/sample_capture.h"
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

// A sample capture written at chemin and opened as the program opens it, ready to be read again.
inline void echantillon_ouvert(const std::string& chemin, const SampleCaptureOptions& o, CBrenvaleDoc& doc) {
  SampleCaptureSummary s;
  std::string erreur;
  ASSERT_TRUE(write_sample_capture(chemin, o, s, erreur)) << erreur;
  ASSERT_TRUE(doc.OuvrirAcquisition(chemin));
  doc.ResetResults(false);
}

}  // namespace brv::test
