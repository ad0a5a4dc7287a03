// zelmora [-C CARTELLA] [giorni]: the phrase of the day in a window.

#include "app/startup.h"
#include "ui/window_program.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = zelmora::PrepareForWindow(argc, argv))
        return *status;
    QApplication application(argc, argv);
    zelmora::WindowProgram program;
    // Qt has taken its own options (-style, -platform, ...) out of argv.
    return program.run(std::vector<std::string>(argv + 1, argv + argc));
}
