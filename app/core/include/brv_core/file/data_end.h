#pragma once
// Where the engine's data ends in an acquisition file: the program's tail goes there, behind the
// last whole record and never inside the data.

#include <cstdint>

#include <vandrel/acq_file.h>

namespace brv {

// The header still holds its start values: the capture never went through its stop sequence (or
// the stop could not rewrite it), so it says nothing of where the data ends.
constexpr bool entete_de_depart(const vandrel::ENTETE_FICHIER& h) {
  return h.enEtatAcq == vandrel::ATTENTE_TRAFIC && h.ullLgZonePostTrig == 0;
}

struct FinDonnees {
  uint64_t position = vandrel::kTailleEntete;
  bool erreurLecture = false;  // the walk met a read error: position is then the file size
};

// The run of whole records from debut: it stops at the first record whose length is below the
// minimum, runs past the file's end (taille bytes) or differs from its trailing copy.
struct Enregistrements {
  uint64_t fin = 0;      // offset after the last whole record
  uint64_t nombre = 0;   // whole records found
  bool erreurLecture = false;  // the walk stopped on a read error at fin
};
Enregistrements ParcourtEnregistrements(int fd, uint64_t debut, uint64_t taille);

// The end of the data of the file open on fd (taille bytes long). After a stop the header gives
// it; from a start header, or a header that places it beyond the file, it is found by walking the
// whole records, and where a rotating zone may have wrapped, the zone's extent in the file is kept
// whole.
FinDonnees ChercheFinDonnees(int fd, const vandrel::ENTETE_FICHIER& h, uint64_t taille);

}  // namespace brv
