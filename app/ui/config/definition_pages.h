#pragma once
// The sheets' pages that hold a list of frame definitions: the trigger frames with their method,
// the display filter with its type, and the event frames.

#include "config/property_sheet.h"

class QButtonGroup;
class QComboBox;

namespace brv::ui {

class CListeDefinitions;
class CRapportQt;

class CConfigAcqSynchroPage : public CPageConfig {
  Q_OBJECT
 public:
  CConfigAcqSynchroPage(brv::Configuration& travail, CRapportQt& rapport, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;
  void LectureSeule() override;
  CListeDefinitions* Liste() const { return liste_; }

 private:
  CRapportQt& rapport_;
  CListeDefinitions* liste_;
  QComboBox* methode_;
};

class CConfigAffFiltragePage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAffFiltragePage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;
  void LectureSeule() override;

 private:
  CListeDefinitions* liste_;
  QButtonGroup* mode_;
};

class CConfigAffEvtPage : public CPageConfig {
  Q_OBJECT
 public:
  explicit CConfigAffEvtPage(brv::Configuration& travail, QWidget* parent = nullptr);
  void Montre() override;
  std::optional<std::string> Quitte() override;
  void LectureSeule() override;

 private:
  CListeDefinitions* liste_;
};

}  // namespace brv::ui
