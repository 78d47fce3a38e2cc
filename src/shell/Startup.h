#pragma once
// Start-up of the desktop app: the command line, the main frame, and the
// documents named on the command line.
//
//   h5800-studio [--open-all] [--screenshot PATH [--screenshot-delay MS]] [FILE]
//   h5800-studio --check-icons
//
// FILE is a page file (.wlp), opened within the project of its folder
// ("请放入工程中!" and no start when its folder holds no project), or a
// project file (.wgc). --open-all then opens every page of the project.
// --screenshot saves a picture of the main window after MS milliseconds
// (default 1500) and quits: for smoke tests and documentation.
// --check-icons opens no window: it loads every icon of the app and checks
// the picture formats (shell/IconCheck.h), on the offscreen platform, and
// exits 0 when all is well, 1 naming what fails: for an installed copy.

class QApplication;
class QTranslator;

namespace h5 {

// What has to be settled before the QApplication is made: --check-icons
// runs on the offscreen platform, with or without a display.
void prepareStudio(int argc, char **argv);

// The application's names and Qt's Chinese texts for its standard dialogs
// and buttons (runStudio does this first). Returns the installed
// translator (owned by `application`), null when Qt's texts were not found.
QTranslator *configureStudio(QApplication &application);

// Runs the app until it quits; returns the exit code.
int runStudio(QApplication &application);

} // namespace h5
