#include "oggi/oggi.h"

#include "app/error_messages.h"
#include "app/startup.h"
#include "app/text_encoding.h"
#include "app/version.h"
#include "runtime/platform.h"

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
    return "Uso: zelmora-oggi [-q] [-C CARTELLA] [giorni]\n"
           "Stampa la frase del giorno presa dal file tesmi.txt e la sua posizione\n"
           "(indice / totale), come la mostra all\u2019avvio la finestra di Zelmora.\n"
           "\n"
           "  giorni          per quanti giorni di fila resta ogni frase, da 1 a 365\n"
           "                  (predefinito 1; altri valori sono ignorati)\n"
           "  -q              stampa solo la frase, e niente se manca il file delle frasi\n"
           "  -C CARTELLA     legge tesmi.txt da CARTELLA invece che dalla cartella corrente\n"
           "  -h, --help      mostra questo aiuto ed esce\n"
           "      --version   mostra la versione ed esce\n"
           "\n"
           "Il file tesmi.txt viene cercato nella cartella corrente, o in CARTELLA con -C.\n"
           "Sul terminale i caratteri di controllo della frase vengono mostrati come simboli.\n"
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
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-" ||
            startsNumber(argument)) {
            words.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
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
    if (options.directory) {
        directory = platform::PathFromText(*options.directory);
        std::error_code ec;
        const auto status = std::filesystem::status(directory, ec);
        named = "\u201C" + DecodePhraseBytes(platform::PathText(directory)) + "\u201D";
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
    const bool read =
        outcome.phraseFileFound && state.PhraseCount.has_value() && !outcome.phraseFileProblem;
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

int OggiMain(const std::vector<std::string>& arguments) {
    const auto parsed = ParseOggiArguments(arguments);
    if (const auto* usage = std::get_if<std::string>(&parsed)) {
        platform::WriteStandardError(ShowControlCharacters(*usage));
        return kOggiUsage;
    }
    SystemClock clock;
    DefaultRandom random;
    OggiResult result = RunOggi(std::get<OggiOptions>(parsed), clock, random);

    // On a terminal a phrase must not be able to send escape sequences; into
    // a pipe or a file its text goes as it is. Messages are for people only.
    if (platform::StandardOutputIsTerminal())
        result.out = ShowControlCharacters(result.out);
    platform::WriteStandardError(ShowControlCharacters(result.err));
    if (const int error = platform::WriteStandardOutput(result.out)) {
        if (const auto message = WriteFailureMessage("zelmora-oggi", error))
            platform::WriteStandardError(ShowControlCharacters(*message));
        return kOggiWriteFailed;
    }
    return result.status;
}

} // namespace zelmora
