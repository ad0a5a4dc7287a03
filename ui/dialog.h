#pragma once

#include "app/color_settings.h"
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
// background, and "OK" saves them to "opzioni.txt" and closes the dialog,
// which returns them for the window that opened it to store and show.
// "Annulla", Esc and the close box change nothing. When the file cannot be
// written the user is told why, nothing is returned and the dialog stays
// open.
class Dialog : public QDialog {
    Q_OBJECT

public:
    // `directory`: where "opzioni.txt" is saved (empty: the working folder).
    Dialog(std::filesystem::path directory, MessageBoxService& messages, ColorPicker& picker,
           QWidget* parent = nullptr);

    // Shows the dialog modal and returns when it has closed: the colours
    // "OK" saved, or nothing.
    std::optional<ColorChoice> choose();

private:
    void pickForeground(); // "scegli PRIMO PIANO"
    void pickBackground(); // "scegli SFONDO"
    // Shows the picker with the colour last accepted; the accepted colour as
    // a plain colour number, or nothing when the user cancels.
    std::optional<std::int32_t> pick();
    void confirm(); // "OK"
    void showSample();

    std::filesystem::path directory_;
    MessageBoxService& messages_;
    ColorPicker& picker_;

    // The sample's colours, the only thing the dialog remembers between picks.
    ColorChoice sample_{Module1::kDefaultForeColor, Module1::kDefaultBackColor};
    std::optional<ColorChoice> saved_;
    // The colour the picker opens with: the last one accepted in this
    // opening, black before any.
    QColor pickerColor_ = Qt::black;

    QLabel* sampleLabel_ = nullptr;
};

} // namespace zelmora
