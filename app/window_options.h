#pragma once

// The window program's command line, zelmora [-C CARTELLA] [giorni], and the
// entry that starts it at every sign-in with the same folder and days.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zelmora {

struct WindowOptions {
    // -C CARTELLA (UTF-8): the folder the window works in instead of the one
    // it was started in; empty (also for -C ''): the working folder.
    std::string directory;
    // The arguments that are not options, joined by blanks: the days each
    // phrase stays on show ("zelmora -C ~/Frasi 7", "zelmora 7").
    std::string commandLine;
};

// Reads the arguments the window program is left with once Qt has taken
// its own: -C CARTELLA (or -CCARTELLA) anywhere, "--" ending the options;
// everything else is the days, read as they always were. Gives the one-line
// Italian complaint of a -C without its folder instead.
std::variant<WindowOptions, std::string>
ParseWindowArguments(const std::vector<std::string>& arguments);

// The name of the entry in the desktop's autostart folder: the menu entry's
// own, so that the desktop's settings list it as Zelmora.
inline constexpr const char* kSignInEntryName = "example.zelmora.Zelmora.desktop";

// The XDG autostart entry that starts `program` (its full path) at every
// sign-in in `folder` (a full path) with `holdDays`: Path= the folder, Exec=
// the program with -C and the folder and the days, TryExec= the program so
// that a desktop skips the entry once the program is gone. Nothing when a
// name cannot stand in a desktop entry (not UTF-8, or a control character).
std::optional<std::string> SignInEntryText(const std::string& program, const std::string& folder,
                                           int holdDays);

// The arguments of the Windows shortcut that starts the window at every
// sign-in in `folder` with `holdDays`: -C "FOLDER" DAYS, quoted as Windows
// programs read their command line.
std::string SignInShortcutArguments(const std::string& folder, int holdDays);

} // namespace zelmora
