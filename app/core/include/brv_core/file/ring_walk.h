#pragma once
// The records of a rotating zone whose header kept its start values: where the newest whole record
// ends and where the oldest begins, found from the records alone. Read as a ring from the write
// point round to it again, the zone is one stream of records whose first one only may be partial
// (overwritten by the newest writes).

#include <cstddef>
#include <cstdint>

namespace brv {

struct Anneau {
  uint64_t plusAncien = 0;  // file offset of the oldest whole record
  uint64_t ecriture = 0;    // file offset after the newest one (the write point), inside the ring
  uint64_t nombre = 0;      // whole records from the oldest to the newest
  uint64_t octets = 0;      // their bytes
  bool erreurLecture = false;
  uint64_t posErreur = 0;   // where the read failed
};

// Walks the ring [debut, fin) of the file open on fd (the file holds every byte of it).
Anneau ParcourtAnneau(int fd, uint64_t debut, uint64_t fin);

// Reads n bytes of the ring [debut, fin) from the file offset pos, wrapping at fin. False on a read
// error or when the file holds fewer bytes.
bool LitAnneau(int fd, uint64_t debut, uint64_t fin, uint64_t pos, uint8_t* buf, size_t n);

}  // namespace brv
