// The desktop on Windows.

#include "app/error_messages.h"
#include "app/texts.h"
#include "app/window_options.h"
#include "runtime/platform.h"
#include "runtime/windows_api.h"
#include "ui/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <system_error>
// After windows.h, which they need.
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace zelmora::desktop {

namespace {

// The Startup shortcut, named as the installer names it.
std::filesystem::path startupShortcut() {
    PWSTR folder = nullptr;
    std::filesystem::path shortcut;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, 0, nullptr, &folder)))
        shortcut = std::filesystem::path(folder) / L"Zelmora.lnk";
    CoTaskMemFree(folder);
    return shortcut;
}

// A COM interface pointer released when it goes.
template <typename Interface> class Com {
public:
    Com() = default;
    ~Com() {
        if (pointer_)
            pointer_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    Interface* operator->() const { return pointer_; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// COM for this thread while it lives, where Qt has not started it already.
class ComApartment {
public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

[[noreturn]] void shortcutFailed(const std::filesystem::path& shortcut, HRESULT result) {
    const int error = HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result)
                                                                 : static_cast<int>(result);
    throw platform::FileError(kPathFileAccess, shortcut, error);
}

} // namespace

void Complain(const std::string& text) {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err != nullptr && err != INVALID_HANDLE_VALUE && GetFileType(err) != FILE_TYPE_UNKNOWN) {
        platform::WriteStandardError(text);
        return;
    }
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(kProgramName).c_str(), MB_OK | MB_ICONERROR);
}

bool StartsAtSignIn() {
    const std::filesystem::path shortcut = startupShortcut();
    std::error_code ec;
    return !shortcut.empty() && std::filesystem::is_regular_file(shortcut, ec);
}

void SetStartAtSignIn(bool on, const std::filesystem::path& folder, int holdDays) {
    const std::filesystem::path shortcut = startupShortcut();
    if (shortcut.empty())
        throw RuntimeError(kPathFileAccess, "Esecuzione automatica\\Zelmora.lnk", Cause::Missing);
    if (!on) {
        if (!DeleteFileW(shortcut.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            throw platform::FileError(kPathFileAccess, shortcut, static_cast<int>(GetLastError()));
        return;
    }
    // As the installer makes it: the program, started in the folder, and
    // the folder and the days named on its command line too.
    const std::wstring program =
        QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdWString();
    const std::wstring arguments =
        Wide(SignInShortcutArguments(platform::PathText(folder), holdDays));
    ComApartment com;
    Com<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.out());
    if (FAILED(result))
        shortcutFailed(shortcut, result);
    link->SetPath(program.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(folder.c_str());
    link->SetIconLocation(program.c_str(), 0);
    link->SetDescription(L"La frase del giorno a ogni accesso");
    Com<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.out());
    if (SUCCEEDED(result))
        result = file->Save(shortcut.c_str(), TRUE);
    if (FAILED(result))
        shortcutFailed(shortcut, result);
}

// Windows always has a screen; a Qt that cannot start there says so in a
// message box of its own.
std::optional<int> CheckScreen(int, char**) {
    return std::nullopt;
}

void ScreenFound() {}

int Answer(const std::string& text) {
    // zelmora.exe has no console of its own, and cmd does not wait for such
    // a program: typed there, the text would land after the prompt, or
    // nowhere. Into a file or a pipe it goes as from any program; else it
    // is shown in a message box.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN)
        return WriteAnswer("zelmora", text);
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(kProgramName).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return 0;
}

std::string EditorAdvice(EditorProblem) {
    return "Per aprirlo da Zelmora serve il Blocco note di Windows (notepad), oppure un "
           "programma associato ai file .txt.";
}

Opener::Opener(std::chrono::milliseconds inUseAfter)
    : inUseAfter_(inUseAfter) {}

Opener::~Opener() = default;

bool Opener::available() const {
    return true;
}

void Opener::open(const std::filesystem::path& file, Failed failed) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(file, ec);
    if (ec ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdWString(whole.native()))))
        QTimer::singleShot(0, &watched_, [failed] { failed(EditorProblem::OpenerFailed); });
}

void Opener::openFolder(const std::filesystem::path& folder, Failed failed) {
    // Explorer from the Windows folder, with the folder as its one argument
    // (no shell); detached, as it outlives this program, and not watched:
    // explorer.exe ends with status 1 when all went well.
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(folder, ec);
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    QProcess explorer;
    explorer.setProgram(QString::fromWCharArray(windows, static_cast<qsizetype>(length)) +
                        QStringLiteral("\\explorer.exe"));
    explorer.setArguments({QString::fromStdWString(whole.native())});
    explorer.setStandardInputFile(QProcess::nullDevice());
    explorer.setStandardOutputFile(QProcess::nullDevice());
    explorer.setStandardErrorFile(QProcess::nullDevice());
    if (ec || length == 0 || length >= MAX_PATH || !explorer.startDetached())
        QTimer::singleShot(0, &watched_, [failed] { failed(EditorProblem::OpenerFailed); });
}

QStringList SansSerifFaces(qreal scale) {
    // "MS Sans Serif" is a bitmap face, drawn for 100 % alone: on a screen
    // scaled up the nearest of its few sizes is taken, larger than asked and
    // not bold, and "Aggiorna" lost letters at both edges of its button.
    // There "Microsoft Sans Serif", the same face made scalable, on every
    // Windows; Tahoma where there is none (Wine). Liberation Sans, the
    // Linux choice, is left out: at 8.25 points (11 pixels) Wine draws it
    // fully hinted, and the one-pixel stem of a capital I vanishes ("scegli
    // PR MO P ANO"); a bare Qt program shows the same. DejaVu Sans keeps it.
    QStringList faces{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                      QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans")};
    if (scale <= 1.0)
        faces.prepend(QStringLiteral("MS Sans Serif"));
    return faces;
}

void DropTitleBarIcon(QWidget& window) {
    // The title bar shows the window's own icon, else its class's, which Qt
    // takes from the program: the program's windows each give their own
    // icon (the main window the butterfly, the colours dialog the crayons),
    // so the class keeps none. A dialog frame of the old kind
    // (WS_EX_DLGMODALFRAME) then draws none either, not even Windows' own.
    const auto handle = reinterpret_cast<HWND>(window.winId());
    SetClassLongPtrW(handle, GCLP_HICONSM, 0);
    SetClassLongPtrW(handle, GCLP_HICON, 0);
    SetWindowLongPtrW(handle, GWL_EXSTYLE,
                      GetWindowLongPtrW(handle, GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
    SendMessageW(handle, WM_SETICON, ICON_SMALL, 0);
    SendMessageW(handle, WM_SETICON, ICON_BIG, 0);
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

std::optional<QColor> SystemColorPicker::pick(QWidget* parent, const QColor& initial) {
    // The dialog's sixteen colours of the user's own, kept for the run as
    // Windows programs keep them.
    static COLORREF custom[16] = {};
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = parent ? reinterpret_cast<HWND>(parent->window()->winId()) : nullptr;
    choice.rgbResult = RGB(initial.red(), initial.green(), initial.blue());
    choice.lpCustColors = custom;
    // Opens on the colour given.
    choice.Flags = CC_RGBINIT;
    if (!ChooseColorW(&choice))
        return std::nullopt;
    return QColor(GetRValue(choice.rgbResult), GetGValue(choice.rgbResult),
                  GetBValue(choice.rgbResult));
}

} // namespace zelmora::desktop
