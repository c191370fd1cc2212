#include "brv_core/file/repair.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include <brv_platform/endian.h>
#include <brv_platform/files.h>

#include "brv_core/decode/crc.h"
#include "brv_core/file/data_end.h"
#include "brv_core/file/ring_walk.h"

namespace brv {

using vandrel::kTailleEntete;

namespace {

constexpr size_t kBloc = size_t{1} << 20;

RepairPlan refus(RepairStatus status, std::string message) {
  RepairPlan plan;
  plan.status = status;
  plan.message = std::move(message);
  return plan;
}

// Copies [debut, fin) of the input to `ecrit`, which takes each block and says whether it was
// written. The input must still hold every byte: a short read means it changed under us.
template <class Ecrit>
bool copie(int fd, uint64_t debut, uint64_t fin, Ecrit&& ecrit, std::string& why) {
  std::vector<uint8_t> bloc(static_cast<size_t>(std::min<uint64_t>(kBloc, fin - std::min(debut, fin))));
  for (uint64_t pos = debut; pos < fin;) {
    const size_t voulu = static_cast<size_t>(std::min<uint64_t>(kBloc, fin - pos));
    const int64_t lu = platform::read_at(fd, bloc.data(), voulu, pos);
    if (lu < 0) {
      why = "read error: " + platform::errno_text(errno);
      return false;
    }
    if (static_cast<size_t>(lu) != voulu) {
      why = "the file became shorter while it was copied";
      return false;
    }
    if (!ecrit(bloc.data(), voulu)) return false;
    pos += voulu;
  }
  return true;
}

std::string systeme(const std::string& what, int error) { return what + ": " + platform::errno_text(error); }

// Keeps the whole input under `orig`, a name that must not exist yet; synced before it counts.
bool GardeOriginal(const AcqFile& file, const std::string& orig, std::string& why) {
  const int fd = ::open(orig.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    why = errno == EEXIST ? orig + " exists already: move it away before repairing in place."
                          : systeme("cannot create " + orig, errno);
    return false;
  }
  bool ok = copie(
      file.descriptor(), 0, file.file_size(),
      [&](const uint8_t* p, size_t n) {
        if (platform::write_all(fd, p, n)) return true;
        why = systeme("cannot write " + orig, errno);
        return false;
      },
      why);
  if (ok && ::fsync(fd) != 0) {
    why = systeme("cannot write " + orig, errno);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    why = systeme("cannot write " + orig, errno);
    ok = false;
  }
  if (!ok) ::unlink(orig.c_str());
  return ok;
}

// The start header has no frame standard yet (the engine learns it from the first frame): the one
// under which more of the oldest frames' check bytes are right. The `octets` bytes of whole records
// from `depuis` run round the ring [debut, fin). -1 on a read error.
int DevineTramesFip(int fd, uint64_t debut, uint64_t fin, uint64_t depuis, uint64_t octets) {
  std::vector<uint8_t> lus(static_cast<size_t>(std::min<uint64_t>(octets, 64 * 1024)));
  if (!LitAnneau(fd, debut, fin, depuis, lus.data(), lus.size())) return -1;
  int fip = 0;
  int worldfip = 0;
  // The stretch holds whole records only; the last may be cut by the 64 KiB.
  for (size_t pos = 0; pos + vandrel::kLgEnregMin <= lus.size();) {
    const uint16_t lg = platform::load_le16(lus.data() + pos);
    if (lg < vandrel::kLgEnregMin || lg > lus.size() - pos) break;
    const uint8_t* trame = lus.data() + pos + vandrel::kPosTrameEnreg;
    const size_t n = lg - vandrel::kSurchargeEnreg;
    if (n >= 3) {
      const uint16_t lu = static_cast<uint16_t>((trame[n - 2] << 8) | trame[n - 1]);
      fip += CrcTrame(true, trame, n - 2) == lu;
      worldfip += CrcTrame(false, trame, n - 2) == lu;
    }
    pos += lg;
  }
  return fip > worldfip ? 1 : 0;
}

RepairPlan ErreurLecture(uint64_t pos) {
  return refus(RepairStatus::ReadError, "Error reading the acquisition file at offset " + std::to_string(pos) + ".");
}

RepairPlan AucunEnregistrement() {
  return refus(RepairStatus::NothingRecoverable,
               "No whole record follows the header: nothing can be recovered from this capture.");
}

// The header that describes `octets` bytes of whole records from `depuis` in the zone [88, fin).
RepairPlan Reparable(const AcqFile& file, uint64_t fin, uint64_t depuis, uint64_t nombre, uint64_t octets) {
  const int fip = DevineTramesFip(file.descriptor(), kTailleEntete, fin, depuis, octets);
  if (fip < 0) return ErreurLecture(depuis);
  RepairPlan plan;
  plan.status = RepairStatus::Repairable;
  plan.records = nombre;
  plan.recovered = octets;
  plan.header = file.header();
  plan.header.enEtatAcq = vandrel::FIN_NORMALE;
  plan.header.bTramesTypeFip = static_cast<uint8_t>(fip);
  return plan;
}

// Records from the header on, cut behind the last whole one.
RepairPlan PlanLineaire(const AcqFile& file) {
  const Enregistrements e = ParcourtEnregistrements(file.descriptor(), kTailleEntete, file.file_size());
  if (e.erreurLecture) return ErreurLecture(e.fin);
  if (e.nombre == 0) return AucunEnregistrement();
  RepairPlan plan = Reparable(file, e.fin, kTailleEntete, e.nombre, e.fin - kTailleEntete);
  if (plan.status != RepairStatus::Repairable) return plan;
  plan.data_end = e.fin;
  plan.left_out = file.file_size() - e.fin;
  plan.header.ullLgZonePostTrig = e.fin - kTailleEntete;
  if (file.layout() == AcqLayout::Circular) {
    plan.header.ullPosTournantDebut = kTailleEntete;
    plan.header.ullPosTournantFin = e.fin - 1;
  }
  return plan;
}

// A ring that may have wrapped: the whole file is its zone, of which only the header changes.
RepairPlan PlanAnneau(const AcqFile& file) {
  const uint64_t fin = file.file_size();
  const Anneau a = ParcourtAnneau(file.descriptor(), kTailleEntete, fin);
  if (a.erreurLecture) return ErreurLecture(a.posErreur);
  if (a.nombre == 0) return AucunEnregistrement();
  RepairPlan plan = Reparable(file, fin, a.plusAncien, a.nombre, a.octets);
  if (plan.status != RepairStatus::Repairable) return plan;
  plan.ring = true;
  plan.data_end = fin;
  plan.left_out = fin - kTailleEntete - a.octets;
  plan.header.ullLgZonePostTrig = fin - kTailleEntete;
  plan.header.ullPosTournantDebut = a.plusAncien;
  // A write point at the zone's start leaves the last byte at its end.
  plan.header.ullPosTournantFin = (a.ecriture == kTailleEntete ? fin : a.ecriture) - 1;
  return plan;
}

constexpr const char* kTexteEnEcriture = "A capture is writing this file now: it was not interrupted.";

// Another capture holds the lock it keeps on the file it writes.
bool EnEcriture(int fd) {
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  ::flock(fd, LOCK_UN);
  return false;
}

// The file open on fd is the one examined, with the same size and header.
bool InchangeDepuisExamen(int fd, const AcqFile& file) {
  const auto examine = platform::file_id(file.descriptor());
  struct stat st {};
  if (!examine || platform::file_id(fd) != examine || ::fstat(fd, &st) != 0 ||
      static_cast<uint64_t>(st.st_size) != file.file_size()) {
    return false;
  }
  uint8_t brut[kTailleEntete];
  uint8_t attendu[kTailleEntete];
  vandrel::ecrire_entete(file.header(), attendu);
  return platform::read_at(file.descriptor(), brut, sizeof brut, 0) == static_cast<int64_t>(sizeof brut) &&
         std::equal(brut, brut + sizeof brut, attendu);
}

}  // namespace

RepairPlan PlanifieReparation(const AcqFile& file) {
  if (!file.interrupted()) {
    return refus(RepairStatus::NothingToRepair, "The acquisition file is complete: there is nothing to repair.");
  }
  if (EnEcriture(file.descriptor())) return refus(RepairStatus::Refused, kTexteEnEcriture);
  const auto& h = file.header();
  if (file.layout() == AcqLayout::Pretrigger) {
    return refus(RepairStatus::Refused,
                 "A pre-trigger capture cannot be recovered: its start header does not tell where the records "
                 "after the trigger begin.");
  }
  if (h.ullPosZonePostTrig != kTailleEntete) {
    return refus(RepairStatus::Refused, "The data zone of this capture does not follow its header: it cannot be "
                                        "recovered.");
  }
  // A ring that wrapped ends on a whole number of sub-blocks; any other size never wrapped.
  const uint64_t taille = file.file_size();
  const bool anneau = file.layout() == AcqLayout::Circular && taille > kTailleEntete &&
                      (taille - kTailleEntete) % h.ulLgBlocTournant == 0;
  return anneau ? PlanAnneau(file) : PlanLineaire(file);
}

std::string TexteReparation(const RepairPlan& plan) {
  return std::to_string(plan.records) + (plan.records == 1 ? " record, " : " records, ") +
         std::to_string(plan.recovered) + " bytes recovered; " + std::to_string(plan.left_out) +
         (plan.ring ? " bytes of the ring before the oldest whole record left out"
                    : " bytes after the last whole record left out");
}

std::string CheminOriginal(const std::string& path) { return path + ".orig"; }

bool ReparePlace(const std::string& path, const AcqFile& file, const RepairPlan& plan, std::string& why) {
  if (plan.status != RepairStatus::Repairable) {
    why = plan.message;
    return false;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    why = systeme("cannot open " + path + " for writing", errno);
    return false;
  }
  // Held until the file is closed: a capture starting now finds it taken, as it finds one that
  // another capture writes.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    why = errno == EWOULDBLOCK ? kTexteEnEcriture : systeme("cannot lock " + path, errno);
    ::close(fd);
    return false;
  }
  if (!InchangeDepuisExamen(fd, file)) {
    ::close(fd);
    why = path + " is no longer the file that was examined.";
    return false;
  }
  if (!GardeOriginal(file, CheminOriginal(path), why)) {
    ::close(fd);
    return false;
  }
  uint8_t entete[kTailleEntete];
  vandrel::ecrire_entete(plan.header, entete);
  bool ok = platform::write_all_at(fd, entete, sizeof entete, 0);
  if (ok && plan.data_end < file.file_size()) ok = ::ftruncate(fd, static_cast<off_t>(plan.data_end)) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  const int erreur = errno;
  if (::close(fd) != 0 && ok) {
    why = systeme("cannot write " + path, errno);
    return false;
  }
  if (!ok) why = systeme("cannot write " + path + " (the original is kept as " + CheminOriginal(path) + ")", erreur);
  return ok;
}

bool RepareVers(const AcqFile& file, const RepairPlan& plan, const std::string& out, std::string& why) {
  if (plan.status != RepairStatus::Repairable) {
    why = plan.message;
    return false;
  }
  const auto entree = platform::file_id(file.descriptor());
  const auto sortie = platform::file_id(out);
  if (!entree || (sortie && *sortie == *entree)) {
    why = platform::overwrite_input_message(out);
    return false;
  }
  platform::AtomicFile a;
  if (!a.open(out)) {
    why = "cannot create " + out + ": " + a.error();
    return false;
  }
  uint8_t entete[kTailleEntete];
  vandrel::ecrire_entete(plan.header, entete);
  a.write(std::string_view(reinterpret_cast<const char*>(entete), sizeof entete));
  const bool copie_ok = copie(
      file.descriptor(), kTailleEntete, plan.data_end,
      [&](const uint8_t* p, size_t n) { return a.write(std::string_view(reinterpret_cast<const char*>(p), n)); },
      why);
  if (!copie_ok && !a.failed()) return false;
  if (a.failed() || !a.commit()) {
    why = "cannot write " + out + ": " + a.error();
    return false;
  }
  return true;
}

}  // namespace brv
