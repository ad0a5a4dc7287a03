// The main window: what it shows at start, its layout and keyboard, and each
// command on real phrase files in a temporary directory.

#include "app/error_messages.h"
#include "app/texts.h"
#include "qt_doubles.h"
#include "runtime/platform.h"
#include "temp_dir.h"
#include "ui/desktop.h"
#include "ui/form1.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>
#include <set>

namespace zelmora {
namespace {

using test::CrLfLines;
using test::Doubles;
using test::Phrases;
using test::TempDir;

class Form1Test : public ::testing::Test {
protected:
    // Builds the window over the current state, as the start-up does.
    Form1& open() {
        window_ = std::make_unique<Form1>(state_, dir_.path(), doubles_.services());
        return *window_;
    }

    QLabel* label(const char* name) { return test::Child<QLabel>(*window_, name); }
    QPushButton* button(const char* name) { return test::Child<QPushButton>(*window_, name); }
    QString phraseShown() { return label("Label1")->text(); }
    QString positionShown() { return label("Label2")->text(); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    // The phrase's tooltip as the user reads it, or nothing when none shows.
    QString tooltip() {
        QLabel* phrase = label("Label1");
        const QPoint at(10, 10);
        QHelpEvent help(QEvent::ToolTip, at, phrase->mapToGlobal(at));
        QApplication::sendEvent(phrase, &help);
        if (!QToolTip::isVisible())
            return {};
        QTextDocument document;
        if (Qt::mightBeRichText(QToolTip::text()))
            document.setHtml(QToolTip::text());
        else
            document.setPlainText(QToolTip::text());
        return document.toPlainText();
    }

    TempDir dir_;
    Module1 state_;
    Doubles doubles_;
    std::unique_ptr<Form1> window_;
};

TEST_F(Form1Test, ShowsTheStateAsPlainTextAtStart) {
    state_.PhraseText = "Prima riga\r\n<b>x</b> <img src=\"y\">";
    state_.CurrentIndex = 7;
    state_.PhraseCount = 120;
    open();

    EXPECT_EQ(window_->windowTitle(), QString::fromUtf8(kTitleWithVersion));
    EXPECT_EQ(phraseShown(), QStringLiteral("Prima riga\n<b>x</b> <img src=\"y\">"));
    EXPECT_EQ(label("Label1")->textFormat(), Qt::PlainText);
    EXPECT_EQ(label("Label2")->textFormat(), Qt::PlainText);
    EXPECT_EQ(positionShown(), QStringLiteral("7 / 120"));
}

// The label keeps its size; a phrase that does not fit is whole in its
// tooltip, and one that fits has none.
TEST_F(Form1Test, APhraseLongerThanTheLabelIsWholeInItsTooltip) {
    std::string twelveLines;
    for (int line = 1; line <= 12; ++line)
        twelveLines += (line > 1 ? "\r\n" : "") + std::string("riga ") + std::to_string(line);
    state_.PhraseText = twelveLines;
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(label("Label1")->size(), QSize(457, 185));
    EXPECT_EQ(tooltip(), phraseShown());
    EXPECT_TRUE(tooltip().endsWith(QStringLiteral("riga 12")));

    dir_.write("tesmi.txt", CrLfLines({"corta", "----", "anche questa", "----"}));
    state_.PhraseCount = 2;
    state_.CurrentIndex = 2;
    click("ancora");
    EXPECT_EQ(phraseShown(), QStringLiteral("corta"));
    EXPECT_EQ(tooltip(), QString());

    // Text that looks like markup is shown as it is written.
    state_.PhraseText = twelveLines + "\r\n<b>grassetto?</b> &amp;";
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_TRUE(tooltip().endsWith(QStringLiteral("<b>grassetto?</b> &amp;")));
}

// Whatever the phrase, its tooltip stays inside the screen: a run of
// letters longer than the screen is wide is broken where it must be, empty
// lines at the end are left out, and what the screen cannot hold is cut
// with an ellipsis.
TEST_F(Form1Test, ThePhrasesTooltipStaysInsideTheScreen) {
    const auto tooltipFits = [this](const std::string& phrase) {
        state_.PhraseText = phrase;
        open().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        const QString text = tooltip();
        QWidget* tip = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->inherits("QTipLabel") && widget->isVisible())
                tip = widget;
        if (!tip)
            return text;
        const QRect screen = window_->screen()->availableGeometry();
        EXPECT_LE(tip->width(), screen.width()) << phrase.substr(0, 40);
        EXPECT_LE(tip->height(), screen.height()) << phrase.substr(0, 40);
        return text;
    };

    const QString digits = tooltipFits(std::string(200, '7'));
    EXPECT_EQ(QString(digits).remove(QLatin1Char('\n')), QString(200, QLatin1Char('7')));

    const QString word = tooltipFits(std::string(60000, 'a'));
    EXPECT_TRUE(word.endsWith(QChar(0x2026))) << "cut: " << word.size();

    // A short phrase followed by empty lines fits the label: no tooltip.
    std::string trailing = "corta";
    for (int i = 0; i < 300; ++i)
        trailing += "\r\n";
    EXPECT_EQ(tooltipFits(trailing), QString());

    std::string manyLines;
    for (int line = 1; line <= 1000; ++line)
        manyLines += "riga " + std::to_string(line) + "\r\n";
    const QString cut = tooltipFits(manyLines);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("riga 1\nriga 2\n")));
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
}

TEST_F(Form1Test, PositionHasNothingAfterTheBlankWhileTheCountIsEmpty) {
    state_.PhraseText = kNoPhraseText;
    open();
    EXPECT_EQ(positionShown(), QStringLiteral("0 / "));
    EXPECT_EQ(phraseShown(), QStringLiteral("--- NESSUNA FRASE IN ARCHIVIO ---"));
}

TEST_F(Form1Test, PhraseBytesInWindows1252AreShownAsAccentedText) {
    state_.PhraseText = "Perch\xE9 no? Citt\xE0";
    open();
    EXPECT_EQ(phraseShown(), QStringLiteral(u"Perché no? Città"));
}

TEST_F(Form1Test, ColoursComeFromTheSettings) {
    state_.ForeColorSetting = 255;        // red
    state_.BackColorSetting = 0x00FFFFFF; // white
    open();
    EXPECT_EQ(label("Label1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window_->palette().color(QPalette::Window), QColor(255, 255, 255));
    // The position keeps its own dark blue whatever the settings.
    EXPECT_EQ(label("Label2")->palette().color(QPalette::WindowText), QColor(0, 0, 192));
}

TEST_F(Form1Test, DefaultBackgroundIsTheDesktopsButtonFace) {
    open();
    EXPECT_EQ(label("Label1")->palette().color(QPalette::WindowText), QColor(192, 64, 0));
    EXPECT_EQ(window_->palette().color(QPalette::Window),
              QGuiApplication::palette().color(QPalette::Button));
}

TEST_F(Form1Test, ControlsStandAtTheirFixedPlaces) {
    open();
    EXPECT_EQ(window_->size(), QSize(489, 273));
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
    EXPECT_EQ(window_->geometry().topLeft(), QPoint(184, 250));
    const auto flags = window_->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {
        {"Label1", {16, 32, 457, 185}},  {"Label2", {16, 240, 57, 17}},
        {"aprifile", {80, 232, 65, 33}}, {"aggiorna", {168, 232, 65, 33}},
        {"ancora", {256, 232, 65, 33}},  {"OKButton", {344, 232, 65, 33}},
        {"opzioni", {424, 240, 20, 20}}, {"Image1", {456, 240, 20, 20}},
    };
    for (const auto& control : controls) {
        SCOPED_TRACE(control.name);
        auto* widget = window_->findChild<QWidget*>(QLatin1String(control.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), control.geometry);
    }

    EXPECT_EQ(button("aprifile")->text(), QStringLiteral("Apri file"));
    EXPECT_EQ(button("aggiorna")->text(), QStringLiteral("Aggiorna"));
    EXPECT_EQ(button("ancora")->text(), QStringLiteral("Casuale"));
    EXPECT_EQ(button("OKButton")->text(), QStringLiteral("OK"));

    const QFont phraseFont = label("Label1")->font();
    EXPECT_DOUBLE_EQ(phraseFont.pointSizeF(), 12.0);
    EXPECT_TRUE(phraseFont.bold());
    EXPECT_TRUE(label("Label1")->wordWrap());
    EXPECT_EQ(label("Label1")->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_DOUBLE_EQ(label("Label2")->font().pointSizeF(), 8.25);
    EXPECT_FALSE(label("Label2")->font().bold());
}

TEST_F(Form1Test, PictureControlsPointAndAnnounceThemselves) {
    open();
    auto* colours = button("opzioni");
    auto* info = label("Image1");
    EXPECT_EQ(colours->toolTip(), QStringLiteral("scegli i colori"));
    EXPECT_EQ(colours->accessibleName(), QStringLiteral("scegli i colori"));
    EXPECT_FALSE(colours->icon().isNull());
    EXPECT_EQ(info->toolTip(), QStringLiteral("INFO"));
    EXPECT_EQ(info->accessibleName(), QStringLiteral("INFO"));
    EXPECT_FALSE(info->pixmap().isNull());
    EXPECT_EQ(info->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(colours->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(info->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(window_->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(window_->windowIcon().isNull());
}

TEST_F(Form1Test, TabVisitsOkOpenRandomRecountColoursInThatOrder) {
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_EQ(QApplication::focusWidget(), button("OKButton"));
    for (const char* next : {"aprifile", "ancora", "aggiorna", "opzioni", "OKButton"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button(next)) << "expected " << next;
    }
}

TEST_F(Form1Test, EnterAtOnceEndsTheProgramAndEscDoesNothing) {
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_TRUE(window_->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(Form1Test, EnterPressesTheButtonThatHasTheFocus) {
    dir_.write("tesmi.txt", Phrases(3));
    state_.CurrentIndex = 1;
    state_.PhraseCount = 1;
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    button("aggiorna")->setFocus();
    QTest::keyClick(button("aggiorna"), Qt::Key_Enter);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(positionShown(), QStringLiteral("1 / 3"));
}

TEST_F(Form1Test, OkClosesTheWindow) {
    open().show();
    click("OKButton");
    EXPECT_FALSE(window_->isVisible());
}

// --- "Aggiorna" -----------------------------------------------------------

TEST_F(Form1Test, RecountAfterTheFileIsCreatedShowsTheNewCount) {
    state_.PhraseText = kNoPhraseText;
    open();
    dir_.write("tesmi.txt", Phrases(4));
    click("aggiorna");
    EXPECT_EQ(positionShown(), QStringLiteral("0 / 4"));
    EXPECT_EQ(phraseShown(), QStringLiteral("--- NESSUNA FRASE IN ARCHIVIO ---"));
    EXPECT_TRUE(doubles_.messages.messages.empty());
}

TEST_F(Form1Test, RecountKeepsThePhraseAndItsIndexEvenBeyondTheNewCount) {
    dir_.write("tesmi.txt", Phrases(5));
    state_.PhraseText = "frase 9";
    state_.CurrentIndex = 9;
    state_.PhraseCount = 12;
    open();
    click("aggiorna");
    EXPECT_EQ(positionShown(), QStringLiteral("9 / 5"));
    EXPECT_EQ(phraseShown(), QStringLiteral("frase 9"));
}

TEST_F(Form1Test, RecountOfAMissingFileTellsTheUserAndChangesNothing) {
    state_.CurrentIndex = 2;
    state_.PhraseCount = 3;
    open();
    click("aggiorna");
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    const auto& message = doubles_.messages.messages.front();
    EXPECT_EQ(message.title, QString::fromUtf8(kProgramName));
    EXPECT_EQ(message.text,
              QString::fromStdString(ErrorMessage(platform::NotFoundError(dir_ / "tesmi.txt"))));
    EXPECT_EQ(positionShown(), QStringLiteral("2 / 3"));
    EXPECT_EQ(state_.PhraseCount, 3);

    // The window goes on working once the file is back.
    dir_.write("tesmi.txt", Phrases(6));
    click("aggiorna");
    EXPECT_EQ(positionShown(), QStringLiteral("2 / 6"));
}

// An emptied file's true count is zero: stored, so that "Casuale" no longer
// reaches for phrases that are gone; the labels stay as the failure left them.
TEST_F(Form1Test, RecountOfAnEmptiedFileStoresZeroKeepsTheLabelsAndSaysItIsEmpty) {
    dir_.write("tesmi.txt", "");
    state_.CurrentIndex = 2;
    state_.PhraseCount = 3;
    open();
    click("aggiorna");
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_EQ(doubles_.messages.messages.front().text,
              QString::fromStdString(ErrorMessage(RuntimeError(
                  kInputPastEnd, platform::PathText(dir_ / "tesmi.txt"), Cause::EmptyFile))));
    EXPECT_EQ(state_.PhraseCount, 0);
    EXPECT_EQ(positionShown(), QStringLiteral("2 / 3"));
}

// --- "Casuale" ------------------------------------------------------------

TEST_F(Form1Test, RandomDrawAlternatesBetweenTwoPhrases) {
    dir_.write("tesmi.txt", CrLfLines({"uno", "----", "due", "----"}));
    state_.PhraseCount = 2;
    state_.CurrentIndex = 1;
    doubles_.random.setDraws({0.0, 0.5, 0.99});
    open();
    for (int i = 0; i < 4; ++i) {
        click("ancora");
        const bool second = i % 2 == 0;
        EXPECT_EQ(phraseShown(), second ? QStringLiteral("due") : QStringLiteral("uno"));
        EXPECT_EQ(positionShown(), second ? QStringLiteral("2 / 2") : QStringLiteral("1 / 2"));
    }
}

TEST_F(Form1Test, RandomDrawWithoutAFileReportsItAndKeepsTheIndex) {
    state_.PhraseText = kNoPhraseText;
    open();
    click("ancora");
    EXPECT_EQ(state_.CurrentIndex, 0);
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_TRUE(doubles_.messages.messages.front().text.contains(QStringLiteral("tesmi.txt")));
    EXPECT_EQ(positionShown(), QStringLiteral("0 / "));
    EXPECT_EQ(phraseShown(), QStringLiteral("--- NESSUNA FRASE IN ARCHIVIO ---"));
}

TEST_F(Form1Test, RandomDrawBeyondAShrunkFileReportsItAndKeepsTheLabels) {
    dir_.write("tesmi.txt", Phrases(2));
    state_.PhraseText = "frase 1";
    state_.PhraseCount = 8;
    state_.CurrentIndex = 1;
    doubles_.random.setDraws({0.99}); // phrase 8, gone from the file
    open();
    click("ancora");
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_EQ(state_.CurrentIndex, 1);
    EXPECT_EQ(phraseShown(), QStringLiteral("frase 1"));
    EXPECT_EQ(positionShown(), QStringLiteral("1 / 8"));
}

TEST_F(Form1Test, EmptyPhraseLeavesTheLabelBlankButShowsItsIndex) {
    dir_.write("tesmi.txt", CrLfLines({"uno", "----", "----"}));
    state_.PhraseCount = 2;
    state_.CurrentIndex = 1;
    open();
    click("ancora");
    EXPECT_EQ(phraseShown(), QString());
    EXPECT_EQ(positionShown(), QStringLiteral("2 / 2"));
}

TEST_F(Form1Test, CtrlCAndTheContextMenuCopyThePhraseAsPlainText) {
    state_.PhraseText = "Prima riga\r\n<b>seconda</b> caff\xE8";
    open().show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(window_.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("Prima riga\n<b>seconda</b> caff\u00E8"));

    QGuiApplication::clipboard()->clear();
    const auto actions = label("Label1")->actions();
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.front()->text(), QStringLiteral("Copia la frase"));
    EXPECT_EQ(label("Label1")->contextMenuPolicy(), Qt::ActionsContextMenu);
    actions.front()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), phraseShown());
}

// --- The phrase's context menu ------------------------------------------

QStringList menuTexts(const QWidget& widget) {
    QStringList texts;
    for (const QAction* action : widget.actions())
        texts.append(action->text());
    return texts;
}

QAction* menuAction(const QWidget& window, const char* name) {
    auto* action = window.findChild<QAction*>(QLatin1String(name));
    if (!action)
        ADD_FAILURE() << "no action " << name;
    return action;
}

QString position(std::int64_t index, std::int64_t count) {
    return QString::fromStdString(PositionText(index, count));
}

// "Frase del giorno" goes back to today's phrase, counted again, after
// "Casuale" or a change of the file; "Apri la cartella delle frasi" opens
// the folder the phrases are read from.
TEST_F(Form1Test, ThePhraseMenuGoesBackToTodayAndOpensTheFolder) {
    dir_.write("tesmi.txt", Phrases(3));
    doubles_.clock.setDay(2);
    state_.PhraseCount = 3;
    state_.CurrentIndex = 2;
    state_.PhraseText = "frase 2";
    open();
    EXPECT_EQ(menuTexts(*label("Label1")),
              QStringList({QStringLiteral("Copia la frase"), QStringLiteral("Frase del giorno"),
                           QString::fromUtf8("Mostra all\u2019accesso"),
                           QStringLiteral("Apri la cartella delle frasi")}));
    doubles_.random.setDraws({0.99});
    click("ancora");
    ASSERT_EQ(positionShown(), QStringLiteral("3 / 3"));

    menuAction(*window_, "fraseDelGiorno")->trigger();
    const int today = DayPhraseIndex(3, 1, 2);
    EXPECT_EQ(phraseShown(), QStringLiteral("frase %1").arg(today));
    EXPECT_EQ(positionShown(), position(today, 3));

    // Counted again, seven days each.
    dir_.write("tesmi.txt", Phrases(5));
    state_.HoldDays = 7;
    doubles_.clock.setDay(30);
    menuAction(*window_, "fraseDelGiorno")->trigger();
    EXPECT_EQ(positionShown(), position(DayPhraseIndex(5, 7, 30), 5));

    // A file gone is told, and the window stays as it was.
    std::filesystem::remove(dir_ / "tesmi.txt");
    menuAction(*window_, "fraseDelGiorno")->trigger();
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_TRUE(doubles_.messages.messages.front().text.contains(QStringLiteral("tesmi.txt")));
    EXPECT_EQ(positionShown(), position(DayPhraseIndex(5, 7, 30), 5));

    menuAction(*window_, "apriCartella")->trigger();
    ASSERT_EQ(doubles_.starter.folders.size(), 1u);
    EXPECT_TRUE(std::filesystem::equivalent(doubles_.starter.folders.front(), dir_.path()));
    EXPECT_TRUE(doubles_.starter.folders.front().is_absolute());
}

// Where there is no phrase, the label keeps its text and its tooltip says
// where the program looked and what to do.
TEST_F(Form1Test, WithoutAPhraseTheTooltipSaysWhereItLookedAndWhatToDo) {
    state_.PhraseText = kNoPhraseText;
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QString hint =
        QString::fromUtf8("Nessuna frase in \u201C") +
        QString::fromStdString(platform::PathText(dir_ / "tesmi.txt")) +
        QString::fromUtf8("\u201D.\nPremi \u00ABApri file\u00BB per scriverne una.");
    EXPECT_EQ(phraseShown(), QStringLiteral("--- NESSUNA FRASE IN ARCHIVIO ---"));
    EXPECT_EQ(tooltip(), hint);

    // A file with no phrase in it: the same hint.
    state_.PhraseText.clear();
    state_.PhraseCount = 0;
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(tooltip(), hint);

    // With a phrase, none.
    state_.PhraseText = "breve";
    state_.PhraseCount = 1;
    open().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_EQ(tooltip(), QString());
}

#ifndef _WIN32
// "Mostra all'accesso" writes and removes the XDG autostart entry, which
// starts the window in this folder with these days; its tick shows what
// is there when the menu opens; a failure is told and changes nothing.
TEST_F(Form1Test, ShowAtSignInWritesAndRemovesTheAutostartEntry) {
    TempDir config;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QString::fromStdString(config.path().native())));
    const std::filesystem::path entry = config / "autostart" / "example.zelmora.Zelmora.desktop";
    state_.HoldDays = 7;
    // Started in the folder, as the program is: the entry names it whole.
    test::InWorkingFolder here(dir_.path());
    window_ = std::make_unique<Form1>(state_, std::filesystem::path(), doubles_.services());
    QAction* signIn = menuAction(*window_, "mostraAllAccesso");
    ASSERT_TRUE(signIn->isCheckable());
    EXPECT_FALSE(signIn->isChecked());

    signIn->trigger();
    EXPECT_TRUE(signIn->isChecked());
    const std::string text = config.read("autostart/example.zelmora.Zelmora.desktop");
    const std::string folder = std::filesystem::current_path().native();
    EXPECT_NE(text.find("\nPath=" + folder + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" -C " + folder + " 7\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nTryExec=/"), std::string::npos) << text;

    signIn->trigger();
    EXPECT_FALSE(signIn->isChecked());
    EXPECT_FALSE(std::filesystem::exists(entry));

    // Made by hand (or by the desktop's settings): the menu shows it ticked,
    // and unticked once it is gone.
    const auto openMenu = [this] {
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->close();
        });
        const QPoint at(5, 5);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, label("Label1")->mapToGlobal(at));
        QApplication::sendEvent(label("Label1"), &menu);
    };
    config.write("autostart/example.zelmora.Zelmora.desktop", "[Desktop Entry]\n");
    openMenu();
    EXPECT_TRUE(signIn->isChecked());
    std::filesystem::remove(entry);
    openMenu();
    EXPECT_FALSE(signIn->isChecked());

    // A file where the autostart folder should be: told, nothing made.
    std::filesystem::remove(config / "autostart");
    config.write("autostart", "");
    signIn->trigger();
    EXPECT_FALSE(signIn->isChecked());
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_TRUE(doubles_.messages.messages.front().text.startsWith(
        QString::fromUtf8("Impossibile aggiungere l\u2019avvio di Zelmora all\u2019accesso")))
        << doubles_.messages.messages.front().text.toStdString();
    EXPECT_EQ(config.read("autostart"), "");

    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

// A read-only ~/.config: told, and nothing made there.
TEST_F(Form1Test, ShowAtSignInWithAReadOnlyConfigFolderChangesNothing) {
    if (test::RunningAsRoot())
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir config;
    std::filesystem::permissions(config.path(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_exec);
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QString::fromStdString(config.path().native())));
    open();
    QAction* signIn = menuAction(*window_, "mostraAllAccesso");
    signIn->trigger();
    EXPECT_FALSE(signIn->isChecked());
    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    EXPECT_TRUE(doubles_.messages.messages.front().text.contains(QStringLiteral("permesso negato")))
        << doubles_.messages.messages.front().text.toStdString();
    EXPECT_TRUE(std::filesystem::is_empty(config.path()));
    std::filesystem::permissions(config.path(), std::filesystem::perms::owner_all);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}
#endif

#ifdef _WIN32
// "Mostra all'accesso" makes and removes the Startup shortcut Zelmora.lnk,
// the installer's; one that is there already is the user's, left alone.
TEST_F(Form1Test, ShowAtSignInMakesAndRemovesTheStartupShortcut) {
    if (desktop::StartsAtSignIn())
        GTEST_SKIP() << "a Startup shortcut of Zelmora is there already";
    const std::filesystem::path shortcut =
        std::filesystem::path(qEnvironmentVariable("APPDATA").toStdWString()) / "Microsoft" /
        "Windows" / "Start Menu" / "Programs" / "Startup" / "Zelmora.lnk";
    state_.HoldDays = 7;
    open();
    QAction* signIn = menuAction(*window_, "mostraAllAccesso");
    signIn->trigger();
    EXPECT_TRUE(signIn->isChecked());
    EXPECT_TRUE(std::filesystem::is_regular_file(shortcut));
    EXPECT_TRUE(desktop::StartsAtSignIn());
    signIn->trigger();
    EXPECT_FALSE(signIn->isChecked());
    EXPECT_FALSE(std::filesystem::exists(shortcut));
    EXPECT_TRUE(doubles_.messages.messages.empty());
}
#endif

// --- "Apri file" ----------------------------------------------------------

TEST_F(Form1Test, OpenFileExplainsTheLayoutThenStartsTheEditor) {
    open();
    bool editorStartedBeforeTheMessageClosed = false;
    doubles_.messages.whileShown = [&] {
        editorStartedBeforeTheMessageClosed = !doubles_.starter.starts.empty();
    };
    click("aprifile");

    ASSERT_EQ(doubles_.messages.messages.size(), 1u);
    const auto& message = doubles_.messages.messages.front();
    EXPECT_EQ(message.kind, test::RecordingMessages::Message::Information);
    EXPECT_EQ(message.title, QString::fromUtf8(kInstructionsTitle));
    EXPECT_EQ(message.text, QString::fromUtf8(kInstructions));
    EXPECT_FALSE(editorStartedBeforeTheMessageClosed);

    // The window's own editor line, which it keeps in the state.
    EXPECT_EQ(state_.LineText, "notepad tesmi.txt");
    ASSERT_EQ(doubles_.starter.starts.size(), 1u);
    EXPECT_EQ(doubles_.starter.starts.front().commandLine, QString::fromStdString(state_.LineText));
    EXPECT_EQ(doubles_.starter.starts.front().missing, ProgramStarter::Missing::CreateEmpty);
}

TEST_F(Form1Test, EditorThatCannotStartIsReportedAndTheWindowGoesOn) {
    doubles_.starter.fail = true;
    open();
    click("aprifile");
    ASSERT_EQ(doubles_.messages.messages.size(), 2u);
    EXPECT_EQ(doubles_.messages.messages.back().kind, test::RecordingMessages::Message::Warning);
    EXPECT_EQ(doubles_.messages.messages.back().title, QString::fromUtf8(kProgramName));

    dir_.write("tesmi.txt", Phrases(2));
    click("aggiorna");
    EXPECT_EQ(positionShown(), QStringLiteral("0 / 2"));
}

} // namespace
} // namespace zelmora
