#pragma once
// The monitor task on its own thread, adapted to Qt: what the task tells its observer arrives as
// queued signals in the GUI thread, and the GUI's requests go to the task's request queue. The
// GUI never waits on the task except to join it once it has ended.

#include <QObject>
#include <QString>

#include <memory>
#include <thread>

#include "brv_core/analysis/monitor.h"

namespace brv::ui {

class CTacheMoniteur : public QObject {
  Q_OBJECT
 public:
  explicit CTacheMoniteur(QObject* parent = nullptr);
  // Asks the task to stop and joins it.
  ~CTacheMoniteur() override;

  // Reads the document's acquisition file again (a re-calculation). The document must not be
  // changed by the GUI until Termine() arrives.
  void LanceRecalcul(brv::CBrenvaleDoc& doc);
  // The observer to give a task run elsewhere (a live acquisition's): its calls arrive as these
  // same signals, Termine() included.
  brv::IObservateurTache& Observateur();
  bool EnCours() const { return thread_.joinable(); }
  void Demande(brv::RequeteTache requete) { requetes_.Poste(requete); }
  const brv::ResultatTache& Resultat() const { return resultat_; }

 signals:
  void Etat(int etat);
  void Pourcentage(int pourcentage);
  void NbLignes(quint64 lignes);
  void LigneInformation(const QString& texte);
  void BoiteErreur(const QString& texte);
  void Ecoule(quint64 ms);
  // A live capture's header, before the rows it makes readable.
  void EnTete(const vandrel::ENTETE_FICHIER& entete);
  void Rafraichit();
  // The figures of the views, at each refresh and at the end.
  void Instantane(std::shared_ptr<const brv::InstantaneVues> figures);
  // The task ended (and its thread, when it is ours, was joined).
  void Termine();

 private:
  class Adaptateur;
  void Fin();

  std::unique_ptr<Adaptateur> observateur_;
  brv::CFileRequetes requetes_;
  brv::ResultatTache resultat_;
  std::thread thread_;
};

}  // namespace brv::ui
