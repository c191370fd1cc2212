#pragma once
// Where the program learns that the system goes to sleep: logind's PrepareForSleep signal on the
// system bus. Behind a small interface so that a test can raise it.

#include <QObject>

namespace brv::ui {

class ISourceVeille : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 signals:
  // The system is about to sleep.
  void Veille();
};

// logind on the system bus; without a bus the program runs without it (traced).
class CVeilleLogind : public ISourceVeille {
  Q_OBJECT
 public:
  explicit CVeilleLogind(QObject* parent = nullptr);

 private slots:
  void PrepareForSleep(bool avant);
};

}  // namespace brv::ui
