#pragma once
// Start-up and shut-down of the program: card selection, settings, the document and the main
// window, the command line.

namespace brv::ui {

// Runs the program; returns its exit status.
int ExecuteBrenvale(int argc, char** argv);

}  // namespace brv::ui
