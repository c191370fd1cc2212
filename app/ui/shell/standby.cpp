#include "shell/standby.h"

#include <QDBusConnection>

#include "brv_platform/trace.h"

namespace brv::ui {

CVeilleLogind::CVeilleLogind(QObject* parent) : ISourceVeille(parent) {
  QDBusConnection bus = QDBusConnection::systemBus();
  const bool ok = bus.isConnected() &&
                  bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                              SLOT(PrepareForSleep(bool)));
  if (!ok) platform::trace("DEBUG BRV: no system bus: operating-system standby is not watched");
}

void CVeilleLogind::PrepareForSleep(bool avant) {
  if (avant) emit Veille();
}

}  // namespace brv::ui
