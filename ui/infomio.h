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
    Infomio(std::filesystem::path directory, ProgramStarter& starter, MessageBoxService& messages);

    // Shows the window modal over `parent` and returns when it has closed.
    // "Altre INFO" closes it and then opens the readme "tesmiLeggimi.txt" in
    // the text editor; a failure to start the editor is reported over
    // `parent`.
    void showModal(QWidget* parent);

private:
    std::filesystem::path directory_;
    ProgramStarter& starter_;
    MessageBoxService& messages_;
    bool initialised_ = false;
};

} // namespace zelmora
