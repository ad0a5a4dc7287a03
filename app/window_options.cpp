#include "app/window_options.h"

#include "runtime/utf8.h"

#include <string_view>

namespace zelmora {

std::variant<WindowOptions, std::string>
ParseWindowArguments(const std::vector<std::string>& arguments) {
    WindowOptions options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with("-C")) {
            if (argument.size() > 2)
                options.directory = argument.substr(2);
            else if (i + 1 < arguments.size())
                options.directory = arguments[++i];
            else
                return std::string("zelmora: l\u2019opzione -C richiede una cartella (zelmora "
                                   "--help per l\u2019aiuto)\n");
        } else {
            words.push_back(argument);
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        options.commandLine += (i > 0 ? " " : "") + words[i];
    return options;
}

namespace {

bool writable(std::string_view name) {
    if (!IsValidUtf8(name))
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

// A string value of a desktop entry: a backslash is written doubled.
std::string entryValue(std::string_view text) {
    std::string value;
    for (const char c : text) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

// One argument of an Exec line: quoted where the desktop would otherwise
// split it or read something in it, and a % doubled (it starts a field
// code).
std::string execArgument(std::string_view argument) {
    constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`=";
    std::string text;
    for (const char c : argument) {
        if (c == '%')
            text += '%';
        text += c;
    }
    if (!text.empty() && text.find_first_of(kReserved) == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::optional<std::string> SignInEntryText(const std::string& program, const std::string& folder,
                                           int holdDays) {
    if (!writable(program) || !writable(folder))
        return std::nullopt;
    const std::string exec =
        execArgument(program) + " -C " + execArgument(folder) + " " + std::to_string(holdDays);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Zelmora\n"
           "Comment=La frase del giorno a ogni accesso\n"
           "Icon=example.zelmora.Zelmora\n"
           "TryExec=" +
           entryValue(program) + "\nExec=" + entryValue(exec) + "\nPath=" + entryValue(folder) +
           "\nTerminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string SignInShortcutArguments(const std::string& folder, int holdDays) {
    // Backslashes count only before a quote: there they are doubled, and
    // the folder's last ones stand before the closing quote.
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : folder) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return "-C " + quoted + "\" " + std::to_string(holdDays);
}

} // namespace zelmora
