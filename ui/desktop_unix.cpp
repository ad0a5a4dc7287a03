// The desktop on Linux and the other X11 and Wayland systems.

#include "app/error_messages.h"
#include "app/window_options.h"
#include "runtime/platform.h"
#include "ui/desktop.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace zelmora::desktop {

namespace {

QtMessageHandler qtHandler = nullptr;

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The value of one of Qt's options ("-platform xcb", "--display :1"), or
// empty.
std::string optionValue(int argc, char** argv, std::string_view option) {
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view argument(argv[i]);
        if (argument.starts_with("--"))
            argument.remove_prefix(1);
        if (argument == option)
            return argv[i + 1];
    }
    return {};
}

// What Qt said while it started, for the one line the user reads when it
// cannot.
struct StartingQt {
    std::string platform;        // the platform asked for (empty: Qt's own choice)
    std::string display;         // the display named by -display, if any
    bool displayRefused = false; // Qt could not connect to the display
    bool waylandRefused = false; // ... and it was a Wayland display
    std::string pluginNamed;     // the platform Qt last said it could not load
} starting;

// The text between the first pair of double quotes of `text`.
std::string quotedPart(const std::string& text) {
    const auto open = text.find('"');
    const auto close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? std::string() : text.substr(open + 1, close - open - 1);
}

// Where the window would have been shown, for the message that it cannot be.
std::string unreachableDisplay() {
    // Asked for Wayland, the X display (which may well be there) is no matter.
    if (starting.waylandRefused) {
        if (const std::string wayland = environmentValue("WAYLAND_DISPLAY"); !wayland.empty())
            return "impossibile collegarsi a WAYLAND_DISPLAY=" + wayland;
        return "impossibile collegarsi al display Wayland wayland-0 (WAYLAND_DISPLAY non "
               "impostato)";
    }
    if (!starting.display.empty())
        return "impossibile collegarsi al display " + starting.display;
    if (const std::string x11 = environmentValue("DISPLAY"); !x11.empty())
        return "impossibile collegarsi a DISPLAY=" + x11;
    if (const std::string wayland = environmentValue("WAYLAND_DISPLAY"); !wayland.empty())
        return "impossibile collegarsi a WAYLAND_DISPLAY=" + wayland;
    return "impossibile collegarsi allo schermo";
}

// Qt's last words before it gives up name the platforms there are:
// "... Available platform plugins are: eglfs, minimal, xcb."
std::string availablePlatforms(const std::string& fatal) {
    const std::string_view marker = "Available platform plugins are: ";
    const auto at = fatal.find(marker);
    if (at == std::string::npos)
        return {};
    std::string list = fatal.substr(at + marker.size());
    while (!list.empty() && (list.back() == '.' || list.back() == '\n' || list.back() == ' '))
        list.pop_back();
    return list;
}

// While QApplication starts: Qt tells of a display it cannot reach, or of a
// platform it cannot load, with warnings in English and then aborts. The
// user reads one Italian line instead, and the program ends with status 1.
void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const std::string text = message.toStdString();
    if (type == QtFatalMsg) {
        std::string why;
        if (starting.displayRefused) {
            why = "nessuno schermo disponibile (" + unreachableDisplay() + ")";
        } else {
            const std::string platform =
                !starting.pluginNamed.empty() ? starting.pluginNamed : starting.platform;
            why = "la piattaforma grafica \u201C" + (platform.empty() ? "?" : platform) +
                  "\u201D non \u00E8 disponibile";
            if (const std::string available = availablePlatforms(text); !available.empty())
                why += " (disponibili: " + available + ")";
        }
        platform::WriteStandardError("zelmora: " + why + "\n");
        std::_Exit(1);
    }
    // Qt 6.4 tells of a Wayland display it cannot reach with no category.
    if (text.starts_with("Failed to create wl_display")) {
        starting.displayRefused = starting.waylandRefused = true;
        return;
    }
    if (context.category && std::string_view(context.category).starts_with("qt.qpa")) {
        if (text.find("could not connect to display") != std::string::npos) {
            // The X display, tried after Wayland ("wayland;xcb"), is the one to name.
            starting.displayRefused = true;
            starting.waylandRefused = false;
        } else if (text.find("platform plugin") != std::string::npos) {
            starting.pluginNamed = quotedPart(text);
        }
        return;
    }
    if (qtHandler)
        qtHandler(type, context, message);
}

// Openers still at work when the program ended. Deleting a QProcess kills
// its program, and the editor with it; kept here instead (in a list that is
// itself never destroyed), they are still reachable when the program exits,
// so no leak is reported either.
std::vector<QProcess*>& lettingGo() {
    static auto* processes = new std::vector<QProcess*>;
    return *processes;
}

// xdg-open's status when it found no program for the file.
constexpr int kXdgOpenFoundNoProgram = 3;

} // namespace

std::optional<int> CheckScreen(int argc, char** argv) {
    starting.platform = optionValue(argc, argv, "-platform");
    if (starting.platform.empty())
        starting.platform = environmentValue("QT_QPA_PLATFORM");
    starting.display = optionValue(argc, argv, "-display");
    // Wayland asked for by name has a display without WAYLAND_DISPLAY too:
    // wayland-0. Whether it answers, Qt finds out.
    const bool needsDisplay = starting.platform.empty() || starting.platform.starts_with("xcb");
    if (needsDisplay && starting.display.empty() && environmentValue("DISPLAY").empty() &&
        environmentValue("WAYLAND_DISPLAY").empty()) {
        platform::WriteStandardError(
            "zelmora: nessuno schermo disponibile (DISPLAY non impostato)\n");
        return 1;
    }
    qtHandler = qInstallMessageHandler(whileStarting);
    return std::nullopt;
}

void ScreenFound() {
    qInstallMessageHandler(qtHandler);
}

void Complain(const std::string& text) {
    platform::WriteStandardError(text);
}

namespace {

// Where the desktops look for the entries they start at sign-in.
std::optional<std::filesystem::path> autostartEntry() {
    std::filesystem::path config;
    if (const auto named = platform::EnvironmentText("XDG_CONFIG_HOME");
        named && std::filesystem::path(*named).is_absolute())
        config = *named;
    else if (const auto home = platform::EnvironmentText("HOME");
             home && std::filesystem::path(*home).is_absolute())
        config = std::filesystem::path(*home) / ".config";
    else
        return std::nullopt;
    return config / "autostart" / kSignInEntryName;
}

} // namespace

bool StartsAtSignIn() {
    const auto entry = autostartEntry();
    std::error_code ec;
    return entry && std::filesystem::is_regular_file(*entry, ec);
}

void SetStartAtSignIn(bool on, const std::filesystem::path& folder, int holdDays) {
    const auto entry = autostartEntry();
    if (!entry)
        throw RuntimeError(kPathFileAccess, "~/.config/autostart/" + std::string(kSignInEntryName),
                           Cause::Other, "HOME non impostata");
    std::error_code ec;
    if (!on) {
        // Nothing there (nor a folder on the way): nothing to take away.
        if (!std::filesystem::exists(std::filesystem::symlink_status(*entry, ec)))
            return;
        if (!std::filesystem::remove(*entry, ec) && ec)
            throw platform::FileError(kPathFileAccess, *entry, ec.value());
        return;
    }
    const QString program = QCoreApplication::applicationFilePath();
    const auto text = SignInEntryText(program.isEmpty() ? std::string("zelmora")
                                                        : QFile::encodeName(program).toStdString(),
                                      folder.native(), holdDays);
    if (!text)
        throw RuntimeError(
            kPathFileAccess, platform::PathText(*entry), Cause::Other,
            "il nome della cartella non si pu\u00F2 scrivere in una voce del desktop");
    std::filesystem::create_directories(entry->parent_path(), ec);
    if (ec)
        throw platform::FileError(kPathFileAccess, *entry, ec.value());
    platform::SaveInPlace(*entry, *text);
}

int Answer(const std::string& text) {
    return WriteAnswer("zelmora", text);
}

std::string EditorAdvice(EditorProblem problem) {
    switch (problem) {
    case EditorProblem::NoOpener:
        return "Per aprirlo da Zelmora installa un editor di testo (per esempio gedit, mousepad "
               "o kate) e il pacchetto xdg-utils, che lo avvia.";
    case EditorProblem::NoProgramForText:
        return "Installa un editor di testo (per esempio gedit, mousepad o kate), oppure "
               "scegline uno per i file di testo nelle impostazioni del desktop.";
    case EditorProblem::OpenerFailed:
        break;
    }
    return "Controlla che un editor di testo (per esempio gedit, mousepad o kate) sia installato "
           "e scelto per i file di testo.";
}

Opener::Opener(std::chrono::milliseconds inUseAfter)
    : inUseAfter_(inUseAfter) {}

Opener::~Opener() {
    for (QProcess* process : watched_.findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() != QProcess::NotRunning) {
            process->setParent(nullptr);
            lettingGo().push_back(process);
        }
    }
}

bool Opener::available() const {
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

void Opener::open(const std::filesystem::path& file, Failed failed) {
    auto* process = new QProcess(&watched_);
    process->setProgram(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
    process->setArguments({QFile::decodeName(QByteArray::fromStdString(file.native()))});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    // The report waits for the handler to return: a message box's own event
    // loop must not run while the process object is still in its signal.
    const auto done = [this, process, since, failed](std::optional<EditorProblem> problem) {
        process->disconnect();
        process->deleteLater();
        if (problem && since->elapsed() < inUseAfter_.count())
            QTimer::singleShot(0, &watched_, [failed, problem] { failed(*problem); });
    };
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [done](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             done(EditorProblem::OpenerFailed);
                     });
    QObject::connect(
        process, &QProcess::finished, process, [done](int exitCode, QProcess::ExitStatus status) {
            if (status == QProcess::NormalExit && exitCode == 0)
                done(std::nullopt);
            else if (status == QProcess::NormalExit && exitCode == kXdgOpenFoundNoProgram)
                done(EditorProblem::NoProgramForText);
            else
                done(EditorProblem::OpenerFailed);
        });
    process->start();
}

void Opener::openFolder(const std::filesystem::path& folder, Failed failed) {
    // The desktop's opener knows the file manager too.
    open(folder, std::move(failed));
}

QStringList SansSerifFaces(qreal) {
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

// X11 and Wayland window managers draw no icon but the one a window gives.
void DropTitleBarIcon(QWidget&) {}

std::optional<QColor> SystemColorPicker::pick(QWidget* parent, const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

} // namespace zelmora::desktop
