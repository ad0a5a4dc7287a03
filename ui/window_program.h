#pragma once

// The window program zelmora around its main window: what it answers
// before Qt starts, and the start-up once Qt has.

#include "app/module1.h"
#include "runtime/services.h"
#include "ui/desktop.h"
#include "ui/form1.h"
#include "ui/message_box.h"
#include "ui/program_starter.h"

#include <QTranslator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelmora {

// Runs before QApplication is made. A command line of exactly "--help" or
// "--version" is answered (status 0, or 3 when the answer could not be
// written), with no window and no screen needed. -C CARTELLA makes that
// folder the working folder; one that is not there, or is no folder, is
// told (status 1), as a -C without its folder is (status 2). Where there is
// no screen to show the window on, the user is told why (status 1).
// Nothing: go on.
std::optional<int> PrepareForWindow(int argc, char** argv);

// The program once Qt has started: the start-up on the arguments Qt left,
// then the main window, until it closes.
class WindowProgram {
public:
    WindowProgram();
    ~WindowProgram();
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    // Runs the start-up on `arguments` (those Qt left: the days per phrase,
    // and -C, which PrepareForWindow has dealt with), shows the main window
    // and returns the exit status once it has closed: 0, or 1 when the
    // window could not be made.
    int run(const std::vector<std::string>& arguments);

private:
    QTranslator qtTexts_;
    SystemClock clock_;
    DefaultRandom random_;
    QtMessageBoxes messages_;
    DesktopProgramStarter starter_{messages_};
    desktop::SystemColorPicker picker_;
    Module1 state_;
    std::unique_ptr<Form1> window_;
};

} // namespace zelmora
