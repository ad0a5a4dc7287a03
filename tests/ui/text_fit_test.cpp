// Every caption and label of the three windows fits its control at 100, 125,
// 150 and 200 %: each text is measured with its control's font made as large
// as the screen makes it, hinted as Windows hints it, against the control's
// room grown as much. A font drawn at a larger size is not always wider in
// the same measure (hinting rounds every letter to whole pixels), which is
// how "Aggiorna" lost its edges at 125 % while it fitted at 100 %.

#include "app/texts.h"
#include "qt_doubles.h"
#include "ui/desktop.h"
#include "ui/dialog.h"
#include "ui/form1.h"
#include "ui/infomio.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QStyleOptionButton>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zelmora::test {
namespace {

constexpr double kScales[] = {1.0, 1.25, 1.5, 2.0};

// The width and height `text` takes on a screen scaled by `scale`, with
// `font` in the faces the program takes there, `grown` times as large and
// hinted in full, in that screen's pixels.
QSizeF textSize(const QString& text, QFont font, double scale, double grown) {
    font.setFamilies(desktop::SansSerifFaces(scale));
    font.setPointSizeF(font.pointSizeF() * grown);
    font.setHintingPreference(QFont::PreferFullHinting);
    // At 96 dots per inch, whatever the test's screen says.
    QImage page(1, 1, QImage::Format_RGB32);
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    const QFontMetricsF metrics(font, &page);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

// The face a font of the program resolves to at `scale`.
std::string family(QFont font, double scale) {
    font.setFamilies(desktop::SansSerifFaces(scale));
    return QFontInfo(font).family().toStdString();
}

// Where a control draws its text: a button inside its bevel, a label inside
// its frame.
QRect textRoom(const QWidget& control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return control.contentsRect();
}

// The controls of `window` whose text does not fit, each named with its
// text, its room and the size it needs; `skip` names a label whose text is
// not a caption (the phrase, which wraps and is cut by design).
std::vector<std::string> misfits(const QWidget& window, const char* skip = "") {
    std::vector<std::string> found;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        QString text;
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            text = button->text();
        else if (const auto* label = qobject_cast<const QLabel*>(control))
            text = label->text();
        if (text.isEmpty() || control->objectName() == QLatin1String(skip))
            continue;
        const QRect room = textRoom(*control);
        for (const double scale : kScales) {
            const QSizeF needed = textSize(text, control->font(), scale, scale);
            // A face of a few fixed sizes (a bitmap face) comes at the
            // nearest one, larger or smaller than the scale asks: its text no
            // longer grows with the screen.
            const double grownHeight = textSize(text, control->font(), scale, 1.0).height() * scale;
            if (needed.width() <= room.width() * scale &&
                needed.height() <= room.height() * scale &&
                std::abs(needed.height() - grownHeight) <= 1.5)
                continue;
            found.push_back(
                window.objectName().toStdString() + "." + control->objectName().toStdString() +
                " \"" + text.toStdString() + "\" at " + std::to_string(int(scale * 100)) +
                " %: needs " + std::to_string(needed.width()) + " x " +
                std::to_string(needed.height()) + " in " + std::to_string(room.width() * scale) +
                " x " + std::to_string(room.height() * scale) + " (" +
                family(control->font(), scale) + ")");
        }
    }
    return found;
}

TEST(TextFit, EveryCaptionAndLabelOfTheThreeWindowsFitsAtEachScale) {
    Doubles doubles;
    Module1 state;
    // The longest position text the instructions expect: 365 phrases.
    state.CurrentIndex = 365;
    state.PhraseCount = PhraseCountValue(365);
    Form1 form(state, "cartella-di-prova", doubles.services());
    EXPECT_EQ(Child<QLabel>(form, "Label2")->text(), QStringLiteral("365 / 365"));
    EXPECT_EQ(misfits(form, "Label1"), std::vector<std::string>());

    Dialog dialog("cartella-di-prova", doubles.messages, doubles.picker, &form);
    EXPECT_EQ(misfits(dialog), std::vector<std::string>());

    // The info window exists while it is open, with its title on the first
    // opening.
    Infomio info(doubles.starter, doubles.messages);
    bool measured = false;
    WhenModalOpens([&](QWidget* window) {
        QPointer<QWidget> open(window);
        EXPECT_EQ(Child<QLabel>(*window, "Label1")->text(), QString::fromLatin1(kTitleWithVersion));
        EXPECT_EQ(misfits(*window), std::vector<std::string>());
        measured = true;
        if (open)
            open->close();
    });
    info.showModal(&form);
    EXPECT_TRUE(measured);
}

} // namespace
} // namespace zelmora::test
