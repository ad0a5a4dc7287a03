#include "dialog.h"

#include "form1.h"

namespace zelmora {

Dialog::Dialog(Module1& state, std::filesystem::path directory, Form1& mainWindow,
               MessageBoxService& messages, ColorPicker& picker)
    : QDialog(&mainWindow)
    , state_(state)
    , directory_(std::move(directory))
    , mainWindow_(mainWindow)
    , messages_(messages)
    , picker_(picker) {}

void Dialog::pickForeground() {}
void Dialog::pickBackground() {}
void Dialog::confirm() {}
void Dialog::showSample() {}

} // namespace zelmora
