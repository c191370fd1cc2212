#pragma once
// The checks that come before an acquisition starts: the acquisition kind, the configuration
// corrections, the free space, the file path and its directory, and the existing-file policy.
// Nothing here touches the card.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <brv_platform/files.h>

#include "brv_core/config/configuration.h"
#include "brv_core/document/doc_reporter.h"

namespace brv {

// Kept free on the disk beyond the needed size.
inline constexpr uint64_t kMargeEspaceLibre = 512000000ULL;
// Smallest pre-trigger zone given to the engine.
inline constexpr uint64_t kLgMinZonePreTrig = 2780;

// Free space available to the user on the file system holding `p` (an existing path); nothing when
// it cannot be read.
using EspaceLibre = std::function<std::optional<uint64_t>(const std::filesystem::path& p)>;
std::optional<uint64_t> EspaceLibreSysteme(const std::filesystem::path& p);

// The nearest existing ancestor of a path (the path itself when it exists); a relative path is
// taken from the current directory. Empty when none can be found.
std::filesystem::path AncetreExistant(const std::filesystem::path& p);
// The mount point holding an existing path: what stands for the drive in the messages.
std::filesystem::path PointMontage(const std::filesystem::path& existant);

// enTypeAcq: 0 free run, 1 triggered, 2 with frame filtering, 3 with pre-triggering.
int32_t TypeAcquisition(const Configuration& config, bool declenche);

// What an attempt made of one candidate name of the increment.
enum class EssaiNom { Pris, Occupe, Echec };
enum class IssueIncrement { Pris, SansPoint, Epuise, Echec };
// Offers stem + n + extension for n = 1, 2, 3 ... (the extension starts at the last '.' of the file
// name) to `essaie` until it takes one, then `nom` holds it. Epuise when a candidate grows beyond
// 260 characters or the counter runs out; Echec as soon as an attempt fails.
IssueIncrement ParcourtNomsIncrementes(const std::string& chemin, const std::function<EssaiNom(const std::string&)>& essaie,
                                       std::string& nom);
// The first of those names that does not exist. Nothing when the name has no '.' (sansPoint set)
// or no candidate is free.
std::optional<std::string> NomIncremente(const std::string& chemin, bool& sansPoint);
// Tells the user why no incremented name could be had.
void SignaleIncrementImpossible(IRapportDocument& rapport, bool sansPoint);
// The question asked before an existing acquisition file is overwritten.
std::string QuestionEcrasement(const std::string& chemin);

struct VerificationDemarrage {
  bool ok = false;
  int32_t enTypeAcq = 0;
  uint64_t ullTaillePostTrig = 0;    // size-limited zone in bytes, 0 when not limited
  uint64_t ullTailleNecessaire = 0;  // the above plus the pre-trigger zone for kind 3
  std::string AcqFilePath;           // the file the engine will write
  // The existing file the user agreed to overwrite: the agreement holds for that file only.
  std::optional<platform::FileId> fichierAccepte;
};

// Runs the checks in order and stops at the first that fails, after telling the user why. The
// pre-trigger and continuous-size minimums are written back into the configuration.
VerificationDemarrage VerifieDemarrage(Configuration& config, bool declenche, bool moteurOccupe,
                                       IRapportDocument& rapport,
                                       const EspaceLibre& espaceLibre = EspaceLibreSysteme);

}  // namespace brv
