#pragma once

#include "app/module1.h"
#include "ui/color_picker.h"
#include "ui/message_box.h"

#include <QDialog>
#include <cstdint>
#include <filesystem>
#include <optional>

class QLabel;

namespace zelmora {

// The colours dialog "SCEGLI I COLORI". Every opening starts from the
// default colours on its sample text; the user picks the text colour and the
// background, and "OK" stores them in the program state, saves them to
// "opzioni.txt" and closes the dialog accepted, for the window that opened it
// to show them. "Annulla", Esc and the close box change nothing. When the file cannot be written
// the user is told why, nothing changes and the dialog stays open.
class Dialog : public QDialog {
    Q_OBJECT

public:
    Dialog(Module1& state, std::filesystem::path directory, MessageBoxService& messages,
           ColorPicker& picker, QWidget* parent = nullptr);

private:
    void pickForeground(); // "scegli PRIMO PIANO"
    void pickBackground(); // "scegli SFONDO"
    // Shows the picker with the colour last accepted; the accepted colour as
    // a plain colour number, or nothing when the user cancels.
    std::optional<std::int32_t> pick();
    void confirm(); // "OK"
    void showSample();

    Module1& state_;
    std::filesystem::path directory_;
    MessageBoxService& messages_;
    ColorPicker& picker_;

    // The sample's colours, the only thing the dialog remembers between picks.
    std::int32_t sampleFore_ = Module1::kDefaultForeColor;
    std::int32_t sampleBack_ = Module1::kDefaultBackColor;
    // The colour the picker opens with: the last one accepted in this
    // opening, black before any.
    QColor pickerColor_ = Qt::black;

    QLabel* sample_ = nullptr;
};

} // namespace zelmora
