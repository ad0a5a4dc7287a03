#include "ui/dialog.h"

#include "app/error_messages.h"
#include "app/texts.h"
#include "ui/colors.h"
#include "ui/layout.h"

#include <QLabel>
#include <QPushButton>

namespace zelmora {

Dialog::Dialog(std::filesystem::path directory, MessageBoxService& messages, ColorPicker& picker,
               QWidget* parent)
    : QDialog(parent)
    , directory_(std::move(directory))
    , messages_(messages)
    , picker_(picker) {
    setObjectName(QStringLiteral("Dialog"));
    // A dialog owned by the main window: no taskbar button of its own.
    MakeFixedWindow(*this, 3840, 2985);
    setSizeGripEnabled(false);
    // Where the main window first stands, wherever it is now: the client
    // area's top-left corner at 2760, 3750 twips. Placing it here also keeps
    // the dialog from centring itself over its parent.
    PlaceOnScreen(*this, kMainWindowPlace);
    setWindowTitle(QStringLiteral("SCEGLI I COLORI"));
    setWindowIcon(Picture(QStringLiteral("crayons_dialog.png")));

    // Created in tab order; the sample label takes no focus.
    auto* okButton =
        MakeButton(this, "OKButton", QStringLiteral("OK"), TwipsRect(2280, 2400, 1215, 375));
    auto* cancelButton = MakeButton(this, "CancelButton", QStringLiteral("Annulla"),
                                    TwipsRect(240, 2400, 1215, 375));

    sampleLabel_ = new QLabel(QStringLiteral("testo di esempio"), this);
    sampleLabel_->setObjectName(QStringLiteral("Label1"));
    sampleLabel_->setGeometry(TwipsRect(240, 240, 3255, 375));
    sampleLabel_->setFont(SansFont(12, true));
    sampleLabel_->setAlignment(Qt::AlignCenter);
    sampleLabel_->setTextFormat(Qt::PlainText);
    // The fixed single border: a thin sunken edge round an opaque face.
    sampleLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sampleLabel_->setLineWidth(1);
    sampleLabel_->setAutoFillBackground(true);

    auto* pp = MakeButton(this, "pp", QStringLiteral("scegli PRIMO PIANO"),
                          TwipsRect(240, 960, 3255, 375));
    auto* bk =
        MakeButton(this, "bk", QStringLiteral("scegli SFONDO"), TwipsRect(240, 1680, 3255, 375));

    // "OK" is the default button: Enter presses it unless another button has
    // the focus. Esc and the close box reject the dialog, as "Annulla" does.
    okButton->setDefault(true);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, pp);
    setTabOrder(pp, bk);
    okButton->setFocus();

    connect(okButton, &QPushButton::clicked, this, &Dialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(pp, &QPushButton::clicked, this, &Dialog::pickForeground);
    connect(bk, &QPushButton::clicked, this, &Dialog::pickBackground);

    showSample();
}

void Dialog::pickForeground() {
    RunCommand(messages_, this, [this] {
        if (const auto color = pick()) {
            sample_.foreColor = *color;
            showSample();
        }
    });
}

void Dialog::pickBackground() {
    RunCommand(messages_, this, [this] {
        if (const auto color = pick()) {
            sample_.backColor = *color;
            showSample();
        }
    });
}

std::optional<std::int32_t> Dialog::pick() {
    // A cancelled picker leaves every colour as it was, the picker's own
    // included.
    const std::optional<QColor> picked = picker_.pick(this, pickerColor_);
    if (!picked || !picked->isValid())
        return std::nullopt;
    const std::int32_t color = SettingFromColor(*picked);
    pickerColor_ = ColorFromSetting(color);
    return color;
}

std::optional<ColorChoice> Dialog::choose() {
    saved_.reset();
    exec();
    return saved_;
}

void Dialog::confirm() {
    RunCommand(messages_, this, [this] {
        // Saved before anything is returned: when the file cannot be written,
        // the settings, the file and the main window all stay as they were,
        // and the dialog stays open to try again or to cancel.
        try {
            SaveColorSettings(directory_, sample_);
        } catch (const RuntimeError& error) {
            messages_.warning(this, QString::fromUtf8(kProgramName),
                              QString::fromStdString(SaveFailureMessage(error)));
            return;
        }
        saved_ = sample_;
        accept();
    });
}

void Dialog::showSample() {
    QPalette palette = sampleLabel_->palette();
    palette.setColor(QPalette::WindowText, ColorFromSetting(sample_.foreColor));
    palette.setColor(QPalette::Window, ColorFromSetting(sample_.backColor));
    sampleLabel_->setPalette(palette);
}

} // namespace zelmora
