#pragma once
// A tabbed configuration sheet over a working copy of the document's configuration: each page
// checks and stores its values when it is left, a refused page keeps the sheet on it with its
// message, and the caller writes the shown pages back once the sheet closes confirmed.

#include <QDialog>

#include <functional>

#include <optional>
#include <string>
#include <vector>

#include "brv_core/config/configuration.h"

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace brv::ui {

class CRapportQt;

class CPageConfig : public QWidget {
  Q_OBJECT
 public:
  explicit CPageConfig(brv::Configuration& travail, QWidget* parent = nullptr) : QWidget(parent), travail_(travail) {}
  // Fills the controls from the working copy; called the first time the page is shown.
  virtual void Montre() = 0;
  // Checks the controls and stores them into the working copy; the message when refused.
  virtual std::optional<std::string> Quitte() = 0;
  // Read-only: the controls show the values and take no change.
  virtual void LectureSeule() { setEnabled(false); }

 protected:
  brv::Configuration& travail_;
};

class CFeuilleConfig : public QDialog {
  Q_OBJECT
 public:
  // editable: false while an acquisition runs (OK and Apply disabled, nothing checked or written).
  CFeuilleConfig(const QString& titre, const brv::Configuration& doc, bool editable, CRapportQt& rapport,
                 QWidget* parent = nullptr);

  // Takes the page (owned by the sheet) as the next tab.
  void Ajoute(CPageConfig* page, const QString& titre);
  // Opens on this tab (after every page was added).
  void OuvreSur(int index);
  // The texts of the buttons ("OK" by default).
  void TexteOk(const QString& texte);
  // Apply validates and closes like OK instead of staying open.
  void ApplyFerme(bool oui) { applyFerme_ = oui; }
  void AvecAide(const std::function<void()>& aide);

  bool Confirmee() const { return confirmee_; }
  bool Appliquee() const { return appliquee_; }
  bool Editable() const { return editable_; }
  int PageActive() const;
  // Goes to this tab as a click on it does (the page left checks itself).
  void MontrePage(int index);
  std::vector<bool> Montrees() const { return montrees_; }
  const brv::Configuration& Travail() const { return travail_; }
  brv::Configuration& Travail() { return travail_; }
  QPushButton* BoutonOk() const;
  QPushButton* BoutonAppliquer() const;
  CPageConfig* Page(int index) const;

 private:
  void Change(int index);
  // The current page's check; false (and its message shown) when refused.
  bool VerifieCourante();
  void Valide(bool fermer);

  brv::Configuration travail_;
  bool editable_;
  CRapportQt& rapport_;
  QTabWidget* onglets_;
  QDialogButtonBox* boutons_;
  std::vector<CPageConfig*> pages_;
  std::vector<bool> montrees_;
  int courante_ = -1;
  bool confirmee_ = false;
  bool appliquee_ = false;
  bool applyFerme_ = false;
  bool retour_ = false;  // going back to a refused page
};

}  // namespace brv::ui
