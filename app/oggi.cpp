#include "app/oggi.h"

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
        } else if (argument == "-q") {
            options.quiet = true;
        } else if (argument == "-C") {
            if (i + 1 == arguments.size())
                return complaint("l\u2019opzione -C vuole una cartella");
            options.directory = arguments[++i];
        } else if (argument.starts_with("-C")) {
            options.directory = argument.substr(2);
        } else {
            return complaint("opzione sconosciuta \u201C" + argument + "\u201D");
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        options.commandLine += (i > 0 ? " " : "") + words[i];
    return options;
}

std::string OggiHelp() {
    return "Uso: zelmora-oggi [-q] [-C CARTELLA] [giorni]\n"
           "Stampa la frase del giorno presa dal file tesmi.txt e la sua posizione\n"
           "(indice / totale), come la mostra all\u2019avvio la finestra di Zelmora.\n"
           "\n"
           "  giorni          per quanti giorni di fila resta ogni frase, da 1 a 365\n"
           "                  (predefinito 1; altri valori sono ignorati)\n"
           "  -q              stampa solo la frase, e niente se manca il file delle frasi\n"
           "  -C CARTELLA     legge tesmi.txt da CARTELLA invece che dalla cartella corrente\n"
           "      --help      mostra questo aiuto ed esce\n"
           "      --version   mostra la versione ed esce\n"
           "\n"
           "Il file tesmi.txt \u00E8 cercato nella cartella corrente, o in CARTELLA con -C.\n"
           "Sul terminale i caratteri di controllo della frase sono mostrati come simboli.\n"
           "\n"
           "Stato d\u2019uscita:\n"
           "  0  file delle frasi trovato e letto\n"
           "  1  file delle frasi mancante o illeggibile\n"
           "  2  errore d\u2019uso\n";
}

std::string OggiVersion() {
    return std::string("zelmora-oggi ") + kVersion + "\n";
}

OggiResult RunOggi(const OggiOptions& options, const std::filesystem::path& workingDirectory,
                   const Clock& clock, RandomSource& random) {
    OggiResult result;
    if (options.help) {
        result.out = OggiHelp();
        return result;
    }
    if (options.version) {
        result.out = OggiVersion();
        return result;
    }
    const std::filesystem::path directory =
        options.directory ? workingDirectory / *options.directory : workingDirectory;

    Module1 state;
    StartupEnvironment environment{directory, options.commandLine, clock, random};
    environment.readColorSettings = false;
    const StartupOutcome outcome = Main(state, environment);

    if (outcome.phraseFileProblem)
        result.err += "zelmora-oggi: " + ErrorMessage(*outcome.phraseFileProblem) + "\n";
    else if (!outcome.phraseFileFound && !options.quiet)
        result.err +=
            "zelmora-oggi: " +
            ErrorMessage(RuntimeError(
                kFileNotFound, platform::pathText(directory / state.PhraseFile), Cause::Missing)) +
            "\n";

    // A file that is there but could not be opened was never counted.
    const bool read = outcome.phraseFileFound && state.PhraseCount.has_value();
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

} // namespace zelmora
