#pragma once

#include "ui/message_box.h"
#include "ui/program_starter.h"

#include <filesystem>

class QWidget;

namespace zelmora {

// The information window. This object lives for the whole run; its window is
// built anew at each opening and destroyed when it closes. Only the first
// opening of a run shows the program's title and version; later ones show
// the title label's own text, "Tesmi".
class Infomio {
public:
    // `installedGuide`: the user's guide as installed with the program, which
    // the editor opens for a working folder that holds none.
    Infomio(ProgramStarter& starter, MessageBoxService& messages,
            std::filesystem::path installedGuide = {});

    // Shows the window modal over `parent` and returns when it has closed.
    // "Altre INFO" closes it and then starts "notepad tesmiLeggimi.txt" in
    // the working folder; a failure to start the editor is reported over
    // `parent`.
    void showModal(QWidget* parent);

    // Where this program's installation keeps the guide.
    static std::filesystem::path installedGuideOfThisProgram();

private:
    std::filesystem::path installedGuide_;
    ProgramStarter& starter_;
    MessageBoxService& messages_;
    bool initialised_ = false;
};

} // namespace zelmora
