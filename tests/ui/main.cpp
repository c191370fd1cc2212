// One QApplication for the whole test program, offscreen, with its settings in a private folder
// so that no test reads or writes the user's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

// Under the thread sanitizer: Qt is not instrumented, and the hand-over of work to its own thread
// pool (image and text work while windows paint) shows as races inside Qt. The shared state of our
// own threads is checked without Qt by the core's tests (rows read while a capture is read).
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so\n"
         "race:libQt6Gui.so\n"
         "race:libQt6Widgets.so\n";
}

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir settings;
  ::setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
