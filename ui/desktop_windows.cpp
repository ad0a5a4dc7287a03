// The desktop on Windows.

#include "app/error_messages.h"
#include "runtime/platform.h"
#include "runtime/utf8.h"
#include "runtime/windows_api.h"
#include "ui/desktop.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <system_error>
// After windows.h, which it needs.
#include <commdlg.h>

namespace zelmora::desktop {

namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return {text.begin(), text.end()};
}

} // namespace

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
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        if (const int error = platform::WriteStandardOutput(text)) {
            if (const auto message = WriteFailureMessage("zelmora", error))
                platform::WriteStandardError(*message);
            return kWriteFailedStatus;
        }
        return 0;
    }
    MessageBoxW(nullptr, wide(text).c_str(), L"Zelmora", MB_OK | MB_ICONINFORMATION);
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

std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) {
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
