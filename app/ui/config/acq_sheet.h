#pragma once
// The "Acquisition configuration" sheet: acquisition file, post-trigger and pre-trigger zones,
// trigger, deferred start and other settings. The pages collect; the core's page rules check.

#include <QString>

#include "brv_core/config/acq_pages.h"
#include "config/property_sheet.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace brv::ui {

class CChampsDuree;

class CConfigAcqFichierPage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAcqFichierPage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;
  QLineEdit* Chemin() const { return chemin_; }

 private:
  void Parcourt();
  QLineEdit* chemin_;
  QButtonGroup* action_;
};

class CConfigAcqZonePostPage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAcqZonePostPage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;

 private:
  void Dispose();  // radio buttons or check boxes by the circular flag
  brv::SaisiePagePostTrig Saisie() const;
  QCheckBox* circulaire_;
  QCheckBox* taille_;
  QCheckBox* duree_;
  QButtonGroup* exclusif_;
  QLineEdit* valeurTaille_;
  QComboBox* unite_;
  CChampsDuree* valeurDuree_;
};

class CConfigAcqZonePrePage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAcqZonePrePage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;
  QString TailleEquivalente() const;

 private:
  brv::SaisiePagePreTrig Saisie() const;
  void Actualise();  // enabled fields and the equivalent size
  QCheckBox* aucun_;
  QButtonGroup* methode_;
  QLineEdit* pourcentage_;
  QLineEdit* trames_;
  CChampsDuree* duree_;
  QLineEdit* equivalente_;
};

class CConfigAcqDifferePage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAcqDifferePage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;

 private:
  QCheckBox* actif_;
  CChampsDuree* delai_;
};

class CConfigAcqAutresPage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAcqAutresPage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;

 private:
  QLineEdit* identifiant_;
  QCheckBox* supprimer_;
  QButtonGroup* voie_;
};

// The sheet with its pages in tab order, opening on `premiere`.
class CConfigAcqSheet : public CFeuilleConfig {
  Q_OBJECT
 public:
  CConfigAcqSheet(const brv::Configuration& doc, bool editable, int premiere, CRapportQt& rapport,
                  QWidget* parent = nullptr);
  // Writes a confirmed, editable sheet's shown pages into the document's configuration.
  void Ecrit(brv::Configuration& doc) const;

 private:
  std::vector<brv::PageAcq> ids_;  // the page of each tab
};

}  // namespace brv::ui
