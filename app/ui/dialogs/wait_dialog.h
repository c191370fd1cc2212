#pragma once
// The wait dialog (modeless): the progress text of the running task, its progress bar, the
// elapsed time, and the stop button.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace brv::ui {

class CAttenteAcqDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAttenteAcqDlg(QWidget* parent = nullptr);

  // Progress state 0 to 5; a re-calculation (5) shows no elapsed time.
  void DefinitEtat(int etat);
  // Above 100 is ignored.
  void DefinitPourcentage(int pourcentage);
  void DefinitEcoule(quint64 ms);
  void AfficheBarre(bool oui);

  QString TexteEtat() const;
  int Pourcentage() const;

 signals:
  // The stop button: sent once.
  void Arret();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void Stop();

  QLabel* etat_;
  QProgressBar* barre_;
  QLabel* ecoule_;
  QPushButton* stop_;
  bool arretEnvoye_ = false;
};

}  // namespace brv::ui
