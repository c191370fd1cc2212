#include "shell/application.h"

#include <QApplication>

namespace brv::ui {

int ExecuteBrenvale(int argc, char** argv) {
  QApplication app(argc, argv);
  return 0;
}

}  // namespace brv::ui
