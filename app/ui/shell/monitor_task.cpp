#include "shell/monitor_task.h"

#include <QMetaObject>

namespace brv::ui {

// Runs in the task's thread: every call becomes a queued call in the GUI thread.
class CTacheMoniteur::Adaptateur : public brv::IObservateurTache {
 public:
  explicit Adaptateur(CTacheMoniteur* tache) : tache_(tache) {}

  void Etat(int etat) override { Poste([etat](CTacheMoniteur* t) { emit t->Etat(etat); }); }
  void Pourcentage(int p) override { Poste([p](CTacheMoniteur* t) { emit t->Pourcentage(p); }); }
  void Progression(uint64_t lus, uint64_t total) override {
    if (total == 0) return;
    const int p = static_cast<int>(lus >= total ? 100 : lus * 100 / total);
    Poste([p](CTacheMoniteur* t) { emit t->Pourcentage(p); });
  }
  void NbLignes(uint32_t n) override { Poste([n](CTacheMoniteur* t) { emit t->NbLignes(n); }); }
  void LigneInformation(std::string_view texte) override {
    const QString q = QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
    Poste([q](CTacheMoniteur* t) { emit t->LigneInformation(q); });
  }
  void BoiteErreur(std::string_view texte) override {
    const QString q = QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
    Poste([q](CTacheMoniteur* t) { emit t->BoiteErreur(q); });
  }
  void Rafraichit() override {
    Poste([](CTacheMoniteur* t) { emit t->Rafraichit(); });
  }
  void Ecoule(uint64_t ms) override { Poste([ms](CTacheMoniteur* t) { emit t->Ecoule(ms); }); }
  void EnTete(const vandrel::ENTETE_FICHIER& h) override {
    Poste([h](CTacheMoniteur* t) { emit t->EnTete(h); });
  }
  bool VeutInstantanes() const override { return true; }
  void Instantane(const brv::InstantaneVues& v) override {
    auto figures = std::make_shared<const brv::InstantaneVues>(v);
    Poste([figures](CTacheMoniteur* t) { emit t->Instantane(figures); });
  }
  // After every other posted call: the GUI sees the last counts before the end.
  void Fin() override {
    Poste([](CTacheMoniteur* t) { t->Fin(); });
  }

  template <typename F>
  void Poste(F&& f) {
    // Queued on the task object: a call still pending when it is destroyed is dropped with it.
    CTacheMoniteur* t = tache_;
    QMetaObject::invokeMethod(t, [t, f = std::forward<F>(f)]() { f(t); }, Qt::QueuedConnection);
  }

 private:
  CTacheMoniteur* tache_;
};

CTacheMoniteur::CTacheMoniteur(QObject* parent)
    : QObject(parent), observateur_(std::make_unique<Adaptateur>(this)) {}

CTacheMoniteur::~CTacheMoniteur() {
  if (thread_.joinable()) {
    requetes_.Poste(brv::RequeteTache::Arret);
    thread_.join();
  }
}

void CTacheMoniteur::LanceRecalcul(brv::CBrenvaleDoc& doc) {
  if (thread_.joinable()) return;
  resultat_ = {};
  brv::RequeteTache ancienne;
  while (requetes_.Prend(ancienne)) {
  }
  thread_ = std::thread([this, &doc] { brv::FncTacheAcq(doc, *observateur_, requetes_, resultat_); });
}

brv::IObservateurTache& CTacheMoniteur::Observateur() { return *observateur_; }

void CTacheMoniteur::Fin() {
  if (thread_.joinable()) thread_.join();
  emit Termine();
}

}  // namespace brv::ui
