#include "oggi/oggi.h"

#include "app/error_messages.h"
#include "app/phrase_commands.h"
#include "app/startup.h"
#include "app/text_encoding.h"
#include "app/texts.h"
#include "runtime/platform.h"
#include "runtime/utf8.h"

#include <array>

namespace zelmora {

namespace {

bool startsNumber(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-' &&
           ((argument[1] >= '0' && argument[1] <= '9') || argument[1] == '.');
}

std::string complaint(const std::string& what) {
    return "zelmora-oggi: " + what + " (zelmora-oggi --help per l\u2019aiuto)\n";
}

// A message after the program's name, which GNU style follows with a
// lower-case letter: "zelmora-oggi: il file ...".
std::string told(std::string message) {
    if (!message.empty() && message[0] >= 'A' && message[0] <= 'Z')
        message[0] = static_cast<char>(message[0] - 'A' + 'a');
    return "zelmora-oggi: " + message + "\n";
}

std::string help() {
    return "Uso: zelmora-oggi [-q] [-C CARTELLA] [--casuale] [--una-volta] [giorni]\n"
           "Stampa la frase del giorno presa dal file tesmi.txt e la sua posizione\n"
           "(indice / totale), come la mostra all\u2019avvio la finestra di Zelmora.\n"
           "\n" +
           HoldDaysHelp(18) +
           "  -q              stampa solo la frase, e niente se manca il file delle frasi\n"
           "  -C CARTELLA     legge tesmi.txt da CARTELLA invece che dalla cartella corrente\n"
           "      --casuale   stampa una frase a caso invece di quella del giorno\n"
           "      --una-volta stampa la frase solo la prima volta di ogni giorno\n"
           "  -h, --help      mostra questo aiuto ed esce\n"
           "      --version   mostra la versione ed esce\n"
           "\n"
           "Il file tesmi.txt viene cercato nella cartella corrente, o in CARTELLA con -C.\n"
           "Con --una-volta il giorno dell\u2019ultima frase stampata resta in\n"
           "$XDG_STATE_HOME/zelmora (~/.local/state/zelmora; su Windows in\n"
           "%LOCALAPPDATA%\\Zelmora): le altre volte dello stesso giorno non stampa niente.\n"
           "Sul terminale le frasi lunghe vanno a capo tra le parole alla larghezza della\n"
           "finestra, e i caratteri di controllo della frase vengono mostrati come simboli.\n"
           "\n"
           "Stato d\u2019uscita:\n"
           "  0  file delle frasi trovato e letto\n"
           "  1  file delle frasi mancante o illeggibile\n"
           "  2  errore d\u2019uso\n"
           "  3  impossibile scrivere la frase (per esempio disco pieno)\n";
}

std::string version() {
    return std::string("zelmora-oggi ") + kVersion + "\n";
}

} // namespace

std::variant<OggiOptions, std::string>
ParseOggiArguments(const std::vector<std::string>& arguments) {
    OggiOptions options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && platform::IsSystemHelpSwitch(argument)) {
            options.help = true;
        } else if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-" ||
                   startsNumber(argument)) {
            words.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--casuale") {
            options.random = true;
        } else if (argument == "--una-volta") {
            options.onceADay = true;
        } else if (argument.starts_with("--")) {
            return complaint("opzione sconosciuta \u201C" + argument + "\u201D");
        } else {
            // Short options, grouped or not; -C takes the rest of the word as
            // its folder, or else the next argument.
            for (std::size_t k = 1; k < argument.size(); ++k) {
                const char option = argument[k];
                if (option == 'q') {
                    options.quiet = true;
                } else if (option == 'h') {
                    options.help = true;
                } else if (option == 'C') {
                    if (k + 1 < argument.size())
                        options.directory = argument.substr(k + 1);
                    else if (i + 1 < arguments.size())
                        options.directory = arguments[++i];
                    else
                        return complaint("l\u2019opzione -C richiede una cartella");
                    break;
                } else {
                    return complaint("opzione sconosciuta \u201C-" + std::string(1, option) +
                                     "\u201D");
                }
            }
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        options.commandLine += (i > 0 ? " " : "") + words[i];
    return options;
}

OggiResult RunOggi(const OggiOptions& options, const Clock& clock, RandomSource& random) {
    OggiResult result;
    if (options.help) {
        result.out = help();
        return result;
    }
    if (options.version) {
        result.out = version();
        return result;
    }
    // Empty: the working folder, whose files are opened by their bare names.
    std::filesystem::path directory;
    // The folder -C names, as the messages show it.
    std::string named;
    bool folderMissing = false;
    if (options.directory)
        directory = platform::FolderFromArgument(*options.directory);
    if (!directory.empty()) {
        std::error_code ec;
        const auto status = std::filesystem::status(directory, ec);
        named = QuotedPath(platform::PathText(directory));
        if (std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
            result.err = told(named + " non \u00E8 una cartella.");
            result.status = kOggiMissing;
            return result;
        }
        folderMissing = status.type() == std::filesystem::file_type::not_found;
    }

    Module1 state;
    StartupEnvironment environment{directory, options.commandLine, clock, random};
    environment.readColorSettings = false;
    const StartupOutcome outcome = Main(state, environment);

    if (outcome.phraseFileProblem)
        result.err += told(ErrorMessage(*outcome.phraseFileProblem));
    else if (!outcome.phraseFileFound && !options.quiet)
        result.err += told(
            folderMissing ? "La cartella " + named + " non esiste."
                          : ErrorMessage(platform::NotFoundError(directory / state.PhraseFile)));

    // A file that is there but could not be opened was never counted; one
    // that failed part-way was not read either, whatever its count says.
    bool read =
        outcome.phraseFileFound && state.PhraseCount.has_value() && !outcome.phraseFileProblem;
    if (read && options.random && *state.PhraseCount > 0) {
        // Any phrase, today's too: each run draws afresh.
        state.CurrentIndex = 0;
        try {
            DrawAtRandom(state, directory, random);
        } catch (const RuntimeError& error) {
            // The file changed between the count and the draw.
            result.err += told(ErrorMessage(error));
            read = false;
        }
    }
    result.status = read ? kOggiFound : kOggiMissing;
    if (options.quiet) {
        // An empty phrase would only print an empty line at every login.
        if (read && !state.PhraseText.empty())
            result.out = PhraseForDisplay(state.PhraseText) + "\n";
        return result;
    }
    result.out = PhraseForDisplay(state.PhraseText) + "\n" +
                 PositionText(state.CurrentIndex, state.PhraseCount) + "\n";
    return result;
}

std::string DayStamp(const std::tm& day) {
    const auto digits = [](int value, std::size_t width) {
        std::string text = std::to_string(value);
        return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
    };
    return digits(day.tm_year + 1900, 4) + "-" + digits(day.tm_mon + 1, 2) + "-" +
           digits(day.tm_mday, 2);
}

bool ShownAlreadyOn(const std::filesystem::path& stateFile, const std::string& stamp) {
    // The stamp and a line end, perhaps CR LF from an editor: a few bytes
    // are all a file of ours can hold.
    std::array<char, 64> bytes{};
    platform::OpenResult opened = platform::OpenForReading(stateFile);
    if (!opened.opened)
        return false;
    int error = 0;
    const std::ptrdiff_t got = platform::ReadBlock(opened.file, bytes.data(), bytes.size(), error);
    platform::Close(opened.file);
    if (got <= 0)
        return false;
    std::string_view kept(bytes.data(), static_cast<std::size_t>(got));
    while (!kept.empty() && (kept.back() == '\n' || kept.back() == '\r' || kept.back() == ' '))
        kept.remove_suffix(1);
    return kept == stamp;
}

void RememberShownOn(const std::filesystem::path& stateFile, const std::string& stamp) {
    // Saved as the colours are, where the file stands; a state that cannot
    // be kept only means the phrase comes again at the next run.
    std::error_code ec;
    if (stateFile.has_parent_path())
        std::filesystem::create_directories(stateFile.parent_path(), ec);
    try {
        platform::SaveInPlace(stateFile, stamp + "\n");
    } catch (const RuntimeError&) {
    }
}

namespace {

// The number of characters (code points) of UTF-8 text.
std::size_t characters(std::string_view text) {
    std::size_t count = 0;
    for (const char byte : text)
        count += !IsUtf8Continuation(byte);
    return count;
}

std::string wrapLine(std::string_view line, std::size_t columns) {
    std::string wrapped;
    while (characters(line) > columns) {
        // Where the characters that fit end, and the last blank among them
        // or just after them.
        std::size_t seen = 0;
        std::size_t cut = line.size();
        std::size_t blank = std::string_view::npos;
        for (std::size_t at = 0; at < line.size(); ++at) {
            if (IsUtf8Continuation(line[at]))
                continue;
            if (seen == columns) {
                cut = at;
                if (line[at] == ' ')
                    blank = at;
                break;
            }
            if (line[at] == ' ' && seen > 0)
                blank = at;
            ++seen;
        }
        if (blank != std::string_view::npos) {
            std::string_view before = line.substr(0, blank);
            while (!before.empty() && before.back() == ' ')
                before.remove_suffix(1);
            wrapped.append(before).push_back('\n');
            line.remove_prefix(blank);
            while (!line.empty() && line.front() == ' ')
                line.remove_prefix(1);
        } else {
            wrapped.append(line.substr(0, cut)).push_back('\n');
            line.remove_prefix(cut);
        }
    }
    wrapped.append(line);
    return wrapped;
}

// The width the phrase is wrapped to on a terminal: the terminal's own, or
// COLUMNS where the terminal does not tell it.
std::optional<int> outputColumns() {
    if (const auto columns = platform::TerminalColumns())
        return columns;
    const auto named = platform::EnvironmentText("COLUMNS");
    if (!named)
        return std::nullopt;
    int columns = 0;
    for (const char digit : *named) {
        if (digit < '0' || digit > '9' || columns > 100000)
            return std::nullopt;
        columns = columns * 10 + (digit - '0');
    }
    if (columns <= 0)
        return std::nullopt;
    return columns;
}

} // namespace

std::string WrapToColumns(std::string_view text, int columns) {
    if (columns <= 0)
        return std::string(text);
    std::string wrapped;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        wrapped += wrapLine(text.substr(0, end), static_cast<std::size_t>(columns));
        if (end == std::string_view::npos)
            break;
        wrapped += '\n';
        text.remove_prefix(end + 1);
    }
    return wrapped;
}

int OggiMain(const std::vector<std::string>& arguments) {
    const auto parsed = ParseOggiArguments(arguments);
    if (const auto* usage = std::get_if<std::string>(&parsed)) {
        platform::WriteStandardError(ShowControlCharacters(*usage));
        return kOggiUsage;
    }
    const auto& options = std::get<OggiOptions>(parsed);

    // Once a day: a later run of the same day says nothing at all.
    std::optional<std::filesystem::path> stateFile;
    std::string today;
    if (options.onceADay && !options.help && !options.version) {
        today = DayStamp(platform::LocalNow());
        if (const auto folder = platform::UserStateFolder("zelmora"))
            stateFile = *folder / kOnceADayFileName;
        if (stateFile && ShownAlreadyOn(*stateFile, today))
            return kOggiFound;
    }

    SystemClock clock;
    DefaultRandom random;
    OggiResult result = RunOggi(options, clock, random);

    // On a terminal a phrase must not be able to send escape sequences, and
    // a long one breaks between words rather than inside them; into a pipe
    // or a file its text goes as it is. Messages are for people only.
    if (platform::StandardOutputIsTerminal()) {
        result.out = ShowControlCharacters(result.out);
        if (const auto columns = outputColumns(); columns && !options.help)
            result.out = WrapToColumns(result.out, *columns);
    }
    platform::WriteStandardError(ShowControlCharacters(result.err));
    if (WriteAnswer("zelmora-oggi", result.out) != 0)
        return kOggiWriteFailed;
    // Only a phrase that was shown counts: a missing file, once written,
    // shows its phrase that same day.
    if (stateFile && result.status == kOggiFound && !result.out.empty())
        RememberShownOn(*stateFile, today);
    return result.status;
}

} // namespace zelmora
