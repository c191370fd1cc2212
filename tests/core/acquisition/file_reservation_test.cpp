// The acquisition file taken at the real start, on real files of a temporary folder: what other
// captures did since the start checks decides the name, and a file another capture writes is
// never taken.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "brv_core/acquisition/file_reservation.h"
#include "support/temp_dir.h"
#include "support/recording_reporter.h"

namespace brv {
namespace {

namespace fs = std::filesystem;

using test::RapportTest;

// Another capture writing a file: it holds the lock as long as it lives.
class AutreCapture {
 public:
  explicit AutreCapture(const std::string& chemin) : fd_(::open(chemin.c_str(), O_RDWR | O_CLOEXEC)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
  }
  ~AutreCapture() { ::close(fd_); }

 private:
  int fd_;
};

TEST(ReservationFichier, TheChoiceAtTheRealStart) {
  enum Accord { Aucun, CeFichier, UnAutre };
  struct Cas {
    const char* nom;
    uint32_t action;
    const char* prevu;                 // the name the checks chose
    std::vector<const char*> existent; // files made since
    const char* verrouille;            // the one another capture writes, if any
    Accord accord;
    bool reponse;
    IssueReservation issue;
    const char* pris;                  // the name taken, when Ok
    size_t questions;
    const char* message;               // the start of the one message, if any
  };
  const char* kEnEcriture = "Another acquisition is writing the acquisition file:\n";
  const std::vector<Cas> cas = {
      {"free name, ask", ACTION_DEMANDER, "acq.dat", {}, nullptr, Aucun, false, IssueReservation::Ok, "acq.dat", 0, nullptr},
      {"free name, overwrite", ACTION_ECRASER, "acq.dat", {}, nullptr, Aucun, false, IssueReservation::Ok, "acq.dat", 0,
       nullptr},
      {"free name, increment", ACTION_INCREMENTER, "acq1.dat", {"acq.dat"}, nullptr, Aucun, false, IssueReservation::Ok,
       "acq1.dat", 0, nullptr},
      {"increment: the chosen number was taken meanwhile", ACTION_INCREMENTER, "acq1.dat", {"acq.dat", "acq1.dat"},
       nullptr, Aucun, false, IssueReservation::Ok, "acq2.dat", 0, nullptr},
      {"increment: the template itself was made meanwhile", ACTION_INCREMENTER, "acq.dat", {"acq.dat"}, nullptr, Aucun,
       false, IssueReservation::Ok, "acq1.dat", 0, nullptr},
      {"increment: a lower number freed meanwhile is taken", ACTION_INCREMENTER, "acq2.dat", {"acq.dat", "acq2.dat"},
       nullptr, Aucun, false, IssueReservation::Ok, "acq1.dat", 0, nullptr},
      {"increment: another capture holds the chosen name", ACTION_INCREMENTER, "acq1.dat", {"acq.dat", "acq1.dat"},
       "acq1.dat", Aucun, false, IssueReservation::Ok, "acq2.dat", 0, nullptr},
      {"increment: made meanwhile without an extension", ACTION_INCREMENTER, "acq", {"acq"}, nullptr, Aucun, false,
       IssueReservation::Refus, nullptr, 0, "The acquisition file path or name is not valid.\nPlease, enter another one."},
      {"ask: made meanwhile, No", ACTION_DEMANDER, "acq.dat", {"acq.dat"}, nullptr, Aucun, false, IssueReservation::Refus,
       nullptr, 1, nullptr},
      {"ask: made meanwhile, Yes", ACTION_DEMANDER, "acq.dat", {"acq.dat"}, nullptr, Aucun, true, IssueReservation::Ok,
       "acq.dat", 1, nullptr},
      {"ask: the very file agreed to", ACTION_DEMANDER, "acq.dat", {"acq.dat"}, nullptr, CeFichier, false,
       IssueReservation::Ok, "acq.dat", 0, nullptr},
      {"ask: agreed to a file replaced since", ACTION_DEMANDER, "acq.dat", {"acq.dat"}, nullptr, UnAutre, false,
       IssueReservation::Refus, nullptr, 1, nullptr},
      {"ask: agreed to, but another capture writes it", ACTION_DEMANDER, "acq.dat", {"acq.dat"}, "acq.dat", CeFichier,
       true, IssueReservation::Refus, nullptr, 0, kEnEcriture},
      {"overwrite: existing file", ACTION_ECRASER, "acq.dat", {"acq.dat"}, nullptr, Aucun, false, IssueReservation::Ok,
       "acq.dat", 0, nullptr},
      {"overwrite: another capture writes it", ACTION_ECRASER, "acq.dat", {"acq.dat"}, "acq.dat", Aucun, true,
       IssueReservation::Refus, nullptr, 0, kEnEcriture},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    test::TempDir dir;
    FichierPrevu prevu{dir.file(c.prevu), dir.file(std::string(c.prevu).find('.') == std::string::npos ? "acq" : "acq.dat"),
                       c.action, std::nullopt};
    if (c.accord == UnAutre) {
      test::write_bytes(prevu.chemin, {9});
      prevu.accepte = platform::file_id(prevu.chemin);
      // Kept alive so that the replacement cannot reuse its inode.
      fs::rename(prevu.chemin, dir.file("ancien"));
    }
    for (const char* nom : c.existent) test::write_bytes(dir.file(nom), {7, 7});
    if (c.accord == CeFichier) prevu.accepte = platform::file_id(prevu.chemin);
    std::optional<AutreCapture> autre;
    if (c.verrouille) autre.emplace(dir.file(c.verrouille));
    RapportTest rapport;
    rapport.reponse = c.reponse;

    ResultatReservation r = ReserveFichierAcq(prevu, rapport);

    EXPECT_EQ(r.issue, c.issue);
    EXPECT_EQ(rapport.questions.size(), c.questions);
    if (c.questions) {
      EXPECT_EQ(rapport.questions[0], "Do you want to overwrite the acquisition file:\n" + prevu.chemin + "?");
    }
    ASSERT_EQ(rapport.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(rapport.messages[0].first.rfind(c.message, 0), 0u) << rapport.messages[0].first;
      EXPECT_EQ(rapport.messages[0].second, IconeMessage::Erreur);
    }
    if (c.issue == IssueReservation::Ok) {
      EXPECT_TRUE(r.fichier.Valide());
      EXPECT_EQ(r.fichier.Chemin(), dir.file(c.pris));
      const bool existait = std::find_if(c.existent.begin(), c.existent.end(), [&](const char* n) {
                              return std::string(n) == c.pris;
                            }) != c.existent.end();
      EXPECT_EQ(r.fichier.Cree(), !existait);
    } else {
      EXPECT_FALSE(r.fichier.Valide());
    }
  }
}

TEST(ReservationFichier, AFileThatCannotBeWrittenIsAFileError) {
  test::TempDir dir;
  fs::create_directory(dir.file("acq.dat"));
  for (const uint32_t action : {ACTION_DEMANDER, ACTION_ECRASER}) {
    RapportTest rapport;
    const ResultatReservation r = ReserveFichierAcq({dir.file("acq.dat"), dir.file("acq.dat"), action, {}}, rapport);
    EXPECT_EQ(r.issue, IssueReservation::ErreurFichier);
    EXPECT_EQ(r.erreur, EISDIR);
    EXPECT_TRUE(rapport.messages.empty());
  }
  // A folder that went away since the checks.
  RapportTest rapport;
  const ResultatReservation r =
      ReserveFichierAcq({dir.file("gone/acq.dat"), dir.file("gone/acq.dat"), ACTION_INCREMENTER, {}}, rapport);
  EXPECT_EQ(r.issue, IssueReservation::ErreurFichier);
  EXPECT_EQ(r.erreur, ENOENT);
}

TEST(ReservationFichier, TheFileIsLockedWhileHeldAndAnAbandonRemovesOnlyWhatItMade) {
  test::TempDir dir;
  const std::string chemin = dir.file("acq.dat");
  RapportTest rapport;
  ResultatReservation premiere = ReserveFichierAcq({chemin, chemin, ACTION_ECRASER, {}}, rapport);
  ASSERT_EQ(premiere.issue, IssueReservation::Ok);
  EXPECT_TRUE(premiere.fichier.Cree());
  // A second capture asked to overwrite it is refused while the first holds it.
  ReservationFichierAcq deplacee = std::move(premiere.fichier);
  EXPECT_EQ(ReserveFichierAcq({chemin, chemin, ACTION_ECRASER, {}}, rapport).issue, IssueReservation::Refus);
  deplacee.Libere();
  ResultatReservation seconde = ReserveFichierAcq({chemin, chemin, ACTION_ECRASER, {}}, rapport);
  ASSERT_EQ(seconde.issue, IssueReservation::Ok);
  EXPECT_FALSE(seconde.fichier.Cree());
  // Its start failed: the file was there before, so it stays.
  seconde.fichier.Abandonne();
  EXPECT_TRUE(fs::exists(chemin));
  EXPECT_FALSE(seconde.fichier.Valide());

  const std::string neuf = dir.file("neuf.dat");
  ResultatReservation troisieme = ReserveFichierAcq({neuf, neuf, ACTION_DEMANDER, {}}, rapport);
  ASSERT_EQ(troisieme.issue, IssueReservation::Ok);
  troisieme.fichier.Abandonne();
  EXPECT_FALSE(fs::exists(neuf));
  EXPECT_EQ(rapport.questions.size(), 0u);
}

}  // namespace
}  // namespace brv
