#include "app/error_messages.h"
#include "app/startup.h"
#include "app/texts.h"
#include "qt_doubles.h"
#include "runtime/platform.h"
#include "temp_dir.h"
#include "test_doubles.h"
#include "ui/colors.h"
#include "ui/dialog.h"
#include "ui/form1.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace zelmora::test {
namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
constexpr const char* kDefaultFile = "16576\r\n-2147483633\r\n";
constexpr const char* kOldFile = "255\r\n16777215\r\n"; // red on white

QPushButton* button(QWidget& window, const char* name) {
    return Child<QPushButton>(window, name);
}

QLabel* label(QWidget& window, const char* name) {
    return Child<QLabel>(window, name);
}

class DialogTest : public ::testing::Test {
protected:
    TempDir dir;
    Module1 state;
    Doubles doubles;
    std::unique_ptr<Form1> mainWindow =
        std::make_unique<Form1>(state, dir.path(), doubles.services());

    Form1& form() { return *mainWindow; }

    // The main window made again, showing the state as it is now.
    void showStateAgain() {
        mainWindow = std::make_unique<Form1>(state, dir.path(), doubles.services());
    }

    // Settings saved and shown before the dialog opens: red on white.
    void startFromSavedColors() {
        dir.write(Module1::kSettingsFileName, kOldFile);
        state.ForeColorSetting = 0x0000FF;
        state.BackColorSetting = 0xFFFFFF;
        showStateAgain();
    }

    std::unique_ptr<Dialog> makeDialog() {
        return std::make_unique<Dialog>(dir.path(), doubles.messages, doubles.picker, &form());
    }

    // Opens the dialog from the crayons button and runs `whileOpen` on it;
    // returns when it has closed.
    void openColors(const std::function<void(QDialog&)>& whileOpen) {
        WhenModalOpens([&](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (!dialog) {
                ADD_FAILURE() << "the modal window is not the colours dialog";
                modal->close();
                return;
            }
            whileOpen(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->done(QDialog::Rejected);
            }
        });
        button(form(), "opzioni")->click();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    void expectSample(QWidget& dialog, const QColor& text, const QColor& back) {
        const QPalette palette = label(dialog, "Label1")->palette();
        EXPECT_EQ(palette.color(QPalette::WindowText), text);
        EXPECT_EQ(palette.color(QPalette::Window), back);
    }

    void expectMainWindowColors(std::int32_t fore, std::int32_t back) {
        EXPECT_EQ(label(form(), "Label1")->palette().color(QPalette::WindowText),
                  ColorFromSetting(fore));
        EXPECT_EQ(form().palette().color(QPalette::Window), ColorFromSetting(back));
        // The position text keeps its dark blue whatever is chosen.
        EXPECT_EQ(label(form(), "Label2")->palette().color(QPalette::WindowText),
                  ColorFromSetting(0x00C00000));
    }

    void expectUnchanged() {
        EXPECT_EQ(dir.read(Module1::kSettingsFileName), kOldFile);
        EXPECT_EQ(state.ForeColorSetting, 0x0000FF);
        EXPECT_EQ(state.BackColorSetting, 0xFFFFFF);
        expectMainWindowColors(0x0000FF, 0xFFFFFF);
    }
};

TEST_F(DialogTest, HasItsLayoutTabOrderAndDefaultButton) {
    auto dialog = makeDialog();
    dialog->show();

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("SCEGLI I COLORI"));
    EXPECT_EQ(dialog->size(), QSize(256, 199));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->geometry().topLeft(), QPoint(184, 250));
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_EQ(dialog->parentWidget(), &form());
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));

    const struct {
        const char* name;
        const char* caption;
        QRect geometry;
    } buttons[] = {
        {"OKButton", "OK", {152, 160, 81, 25}},
        {"CancelButton", "Annulla", {16, 160, 81, 25}},
        {"pp", "scegli PRIMO PIANO", {16, 64, 217, 25}},
        {"bk", "scegli SFONDO", {16, 112, 217, 25}},
    };
    for (const auto& expected : buttons) {
        SCOPED_TRACE(expected.name);
        QPushButton* b = button(*dialog, expected.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(b->geometry(), expected.geometry);
        EXPECT_EQ(b->isDefault(), expected.name == std::string("OKButton"));
    }

    QLabel* sample = label(*dialog, "Label1");
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->text(), QStringLiteral("testo di esempio"));
    EXPECT_EQ(sample->geometry(), QRect(16, 16, 217, 25));
    expectSample(*dialog, ColorFromSetting(16576), ColorFromSetting(Module1::kDefaultBackColor));

    // Focus starts on "OK"; Tab then visits "Annulla", the two pickers and
    // comes back.
    QWidget* ok = button(*dialog, "OKButton");
    EXPECT_EQ(dialog->focusWidget(), ok);
    QStringList order;
    QWidget* w = ok;
    do {
        w = w->nextInFocusChain();
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    } while (w != ok && order.size() < 10);
    EXPECT_EQ(order, QStringList({QStringLiteral("CancelButton"), QStringLiteral("pp"),
                                  QStringLiteral("bk"), QStringLiteral("OKButton")}));
}

TEST_F(DialogTest, OkAtOnceSavesStoresAndAppliesTheDefaultColours) {
    startFromSavedColors();
    openColors([&](QDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), &form());
        EXPECT_NE(dialog.windowModality(), Qt::NonModal);
        button(dialog, "OKButton")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(dir.read(Module1::kSettingsFileName), kDefaultFile);
    EXPECT_EQ(state.ForeColorSetting, Module1::kDefaultForeColor);
    EXPECT_EQ(state.BackColorSetting, Module1::kDefaultBackColor);
    expectMainWindowColors(Module1::kDefaultForeColor, Module1::kDefaultBackColor);
    EXPECT_TRUE(doubles.messages.messages.empty());
}

TEST_F(DialogTest, OnlyTheTextColourPickedPutsTheBackgroundBackToDefault) {
    startFromSavedColors();
    doubles.picker.answers = {kBlue};
    openColors([&](QDialog& dialog) {
        button(dialog, "pp")->click();
        expectSample(dialog, kBlue, ColorFromSetting(Module1::kDefaultBackColor));
        button(dialog, "OKButton")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(dir.read(Module1::kSettingsFileName), "16711680\r\n-2147483633\r\n");
    EXPECT_EQ(state.ForeColorSetting, 0xFF0000);
    EXPECT_EQ(state.BackColorSetting, Module1::kDefaultBackColor);
    expectMainWindowColors(0xFF0000, Module1::kDefaultBackColor);
}

TEST_F(DialogTest, BothButtonsShareThePickerColourAndTheNextStartReadsTheChoice) {
    doubles.picker.answers = {kRed, kBlue, kGreen};
    auto dialog = makeDialog();
    button(*dialog, "pp")->click();
    button(*dialog, "bk")->click();
    button(*dialog, "pp")->click();
    EXPECT_EQ(doubles.picker.openedWith, (std::vector<QColor>{Qt::black, kRed, kBlue}));
    expectSample(*dialog, kGreen, kBlue);
    button(*dialog, "OKButton")->click();
    EXPECT_EQ(dir.read(Module1::kSettingsFileName), "65280\r\n16711680\r\n");

    Module1 nextRun;
    FixedClock clock;
    ScriptedRandom random;
    Main(nextRun, {dir.path(), "", clock, random});
    EXPECT_EQ(nextRun.ForeColorSetting, 0x00FF00);
    EXPECT_EQ(nextRun.BackColorSetting, 0xFF0000);
}

TEST_F(DialogTest, CancelledPickerChangesNoColour) {
    doubles.picker.answers = {std::nullopt, kRed, std::nullopt, std::nullopt};
    auto dialog = makeDialog();
    button(*dialog, "pp")->click(); // cancelled as the first action
    expectSample(*dialog, ColorFromSetting(16576), ColorFromSetting(Module1::kDefaultBackColor));
    button(*dialog, "bk")->click(); // red accepted
    button(*dialog, "pp")->click(); // cancelled: the text does not turn red
    button(*dialog, "bk")->click(); // cancelled: the background stays red
    expectSample(*dialog, ColorFromSetting(16576), kRed);
    EXPECT_EQ(doubles.picker.openedWith, (std::vector<QColor>{Qt::black, Qt::black, kRed, kRed}));

    button(*dialog, "OKButton")->click();
    EXPECT_EQ(dir.read(Module1::kSettingsFileName), "16576\r\n255\r\n");
}

TEST_F(DialogTest, AnnullaEscAndCloseBoxChangeNothing) {
    const std::pair<const char*, std::function<void(QDialog&)>> closers[] = {
        {"Annulla", [](QDialog& d) { button(d, "CancelButton")->click(); }},
        {"Esc", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](QDialog& d) { d.close(); }},
    };
    for (const auto& closer : closers) {
        SCOPED_TRACE(closer.first);
        startFromSavedColors();
        doubles.picker.answers = {kGreen, kBlue};
        openColors([&](QDialog& dialog) {
            button(dialog, "pp")->click();
            button(dialog, "bk")->click();
            closer.second(dialog);
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
        });
        expectUnchanged();
    }
}

TEST_F(DialogTest, ReopeningStartsFromTheDefaultColours) {
    doubles.picker.answers = {kRed, kBlue, std::nullopt};
    openColors([](QDialog& dialog) {
        button(dialog, "pp")->click();
        button(dialog, "bk")->click();
        button(dialog, "OKButton")->click();
    });
    ASSERT_EQ(state.ForeColorSetting, 0x0000FF);

    openColors([&](QDialog& dialog) {
        expectSample(dialog, ColorFromSetting(16576), ColorFromSetting(Module1::kDefaultBackColor));
        button(dialog, "pp")->click();
        button(dialog, "CancelButton")->click();
    });
    // The second opening's picker started from black again.
    EXPECT_EQ(doubles.picker.openedWith.back(), QColor(Qt::black));
}

// A save that fails shows why, keeps the old file, the settings and the main
// window as they were, and leaves the dialog open to try again. A file no one
// may write is refused to every user, root and Windows' administrators too;
// once it may be written, it is written where it stands, also in a folder
// that takes no new file.
TEST_F(DialogTest, ReadOnlyFileAndFolderKeepEverythingAndTheDialogOpen) {
    startFromSavedColors();
    namespace fs = std::filesystem;
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(dir / Module1::kSettingsFileName, writable, fs::perm_options::remove);
#ifndef _WIN32 // Windows folders have no such permission bits.
    fs::permissions(dir.path(), writable, fs::perm_options::remove);
#endif
    doubles.picker.answers = {kGreen};
    auto dialog = makeDialog();
    dialog->show();
    button(*dialog, "pp")->click();
    button(*dialog, "OKButton")->click();

    EXPECT_TRUE(dialog->isVisible());
    expectUnchanged();
    ASSERT_EQ(doubles.messages.messages.size(), 1u);
    const auto& message = doubles.messages.messages[0];
    EXPECT_EQ(message.kind, RecordingMessages::Message::Warning);
    EXPECT_EQ(message.title, QString::fromUtf8(kProgramName));
    EXPECT_EQ(message.text, QString::fromStdString(SaveFailureMessage(RuntimeError(
                                kPathFileAccess, platform::PathText(dir / "opzioni.txt"),
                                Cause::PermissionDenied))));

    fs::permissions(dir / Module1::kSettingsFileName, fs::perms::owner_write,
                    fs::perm_options::add);
    button(*dialog, "OKButton")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dir.read(Module1::kSettingsFileName), "65280\r\n-2147483633\r\n");
}

TEST_F(DialogTest, FolderNamedLikeTheSettingsFileIsKeptAndReported) {
    state.ForeColorSetting = 0x0000FF;
    showStateAgain();
    std::filesystem::create_directory(dir / Module1::kSettingsFileName);
    doubles.picker.answers = {kGreen};
    auto dialog = makeDialog();
    dialog->show();
    button(*dialog, "pp")->click();
    button(*dialog, "OKButton")->click();

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(std::filesystem::is_directory(dir / Module1::kSettingsFileName));
    EXPECT_EQ(state.ForeColorSetting, 0x0000FF);
    EXPECT_EQ(state.BackColorSetting, Module1::kDefaultBackColor);
    expectMainWindowColors(0x0000FF, Module1::kDefaultBackColor);
    ASSERT_EQ(doubles.messages.messages.size(), 1u);
    EXPECT_TRUE(doubles.messages.messages[0].text.contains(QStringLiteral("opzioni.txt")));

    button(*dialog, "CancelButton")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(state.ForeColorSetting, 0x0000FF);
}

} // namespace
} // namespace zelmora::test
