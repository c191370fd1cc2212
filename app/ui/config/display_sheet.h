#pragma once
// The "Displaying configuration" sheet: views' integration times and chart points, the display
// filter, the events and the display padding. Its result takes effect on a re-calculation.

#include "brv_core/config/views_page.h"
#include "config/property_sheet.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace brv::ui {

class CConfigAffVuesPage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAffVuesPage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;

 private:
  void Affiche(const brv::SaisiePageVues& s);
  QLineEdit* reseau_;
  QComboBox* uniteReseau_;
  QLineEdit* debit_;
  QComboBox* uniteDebit_;
  QLineEdit* points_;
  QCheckBox* ouverture_;
};

class CConfigAffBourragePage : public CPageConfig {
  Q_OBJECT
 public:
  // acquisition: the padding the capture was taken with.
  CConfigAffBourragePage(brv::Configuration& travail, const brv::TripletBourrage& acquisition, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;

 private:
  brv::TripletBourrage acquisition_;
  QCheckBox* autre_;
  QLineEdit* identifiant_;
};

class CConfigAffSheet : public CFeuilleConfig {
  Q_OBJECT
 public:
  CConfigAffSheet(const brv::Configuration& doc, const brv::TripletBourrage& bourrageAcquisition, bool editable,
                  int premiere, CRapportQt& rapport, QWidget* parent = nullptr);
  // Writes a confirmed, editable sheet's shown pages into the document's configuration; true when
  // something was written.
  bool Ecrit(brv::Configuration& doc) const;

 private:
  enum IdPage { VUES, FILTRAGE, EVENEMENTS, BOURRAGE };
  std::vector<IdPage> ids_;
};

}  // namespace brv::ui
