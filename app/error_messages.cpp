#include "app/error_messages.h"

#include "app/text_encoding.h"
#include "runtime/platform.h"

namespace zelmora {

namespace {

std::string withCause(std::string text, const RuntimeError& error) {
    const std::string cause = CauseText(error);
    if (!cause.empty())
        text += "\nMotivo: " + cause + ".";
    return text;
}

} // namespace

std::string CauseText(const RuntimeError& error) {
    switch (error.cause()) {
    case Cause::None:
        return {};
    case Cause::Missing:
        return "file o cartella inesistente";
    case Cause::WorkingFolderGone:
        return "la cartella di lavoro non esiste più";
    case Cause::DanglingLink:
        return "è un collegamento a un file che non esiste (" + QuotedPath(error.systemText()) +
               ")";
    case Cause::EmptyFile:
        return "il file è vuoto";
    case Cause::PermissionDenied:
        return "permesso negato";
    case Cause::FolderRefusesNewFiles:
        return "permesso negato: nella cartella " + QuotedPath(error.systemText()) +
               " non si possono creare file";
    case Cause::NoSpace:
        return "spazio esaurito sul disco";
    case Cause::ReadOnlyFileSystem:
        return "il disco è di sola lettura";
    case Cause::IsFolder:
        return "è una cartella, non un file";
    case Cause::NotOrdinaryFile:
        return "non è un file ordinario (è una pipe, un socket o un dispositivo)";
    case Cause::TooManyOpenFiles:
        return "troppi file aperti";
    case Cause::TooManyLinks:
        return "troppi collegamenti simbolici concatenati (forse un collegamento rimanda a sé "
               "stesso)";
    case Cause::NameTooLong:
        return "il nome del file è troppo lungo";
    case Cause::OutputClosed:
        return "l\u2019uscita è chiusa";
    case Cause::BrokenPipe:
        return "il programma che leggeva l\u2019uscita è terminato";
    case Cause::PartlyUtf16:
        return "il file è salvato, in tutto o in parte, in un\u2019altra codifica (UTF-16)";
    case Cause::Other:
        break;
    }
    // The rare rest in Italian words, with the system's own for the details.
    const std::string system = DecodePhraseBytes(error.systemText());
    return system.empty() ? "errore di sistema" : "errore di sistema (" + system + ")";
}

std::string QuotedPath(const std::string& file) {
    return "\u201C" + DecodePathBytes(file.empty() ? std::string("?") : file) + "\u201D";
}

std::string ErrorMessage(const RuntimeError& error) {
    const std::string file = QuotedPath(error.file());
    std::string text;
    switch (error.number()) {
    case kFileNotFound:
        if (error.cause() == Cause::DanglingLink)
            return "Il file " + file + " " + CauseText(error) + ".";
        text = "Il file " + file + " non è stato trovato.";
        // "Not found" says the rest; a deleted working folder it does not.
        if (error.cause() != Cause::WorkingFolderGone)
            return text;
        break;
    case kInputPastEnd:
        if (error.cause() == Cause::EmptyFile)
            return "Il file " + file + " è vuoto: non contiene frasi.";
        text = "Il file " + file +
               " è finito prima del previsto: è stato accorciato e non contiene più la frase "
               "richiesta.";
        break;
    case kDivisionByZero:
        text = "Nessuna frase: il file delle frasi non ha nessuna riga \u201C----\u201D.";
        break;
    case kOverflow:
        text = "Il numero della frase è troppo grande.";
        break;
    case kPathFileAccess:
        text = "Impossibile aprire il file " + file + ".";
        break;
    case kDeviceIo:
        text = "Errore di lettura del file " + file + ".";
        break;
    case kBadFileFormat:
        // Windows PowerShell appends UTF-16 to any file; the way out is in
        // the editor the user already has.
        return "Il file " + file +
               " è salvato, in tutto o in parte, in un\u2019altra codifica e non si può "
               "leggere bene.\nAprilo con il Blocco note (o un altro editor di testo) e salvalo "
               "di nuovo in UTF-8: \u00ABFile\u00BB, \u00ABSalva con nome\u00BB, "
               "Codifica \u00ABUTF-8\u00BB.";
    default:
        text = "Errore " + std::to_string(error.number()) +
               (error.file().empty() ? std::string() : " con il file " + file) + ".";
        break;
    }
    return withCause(std::move(text), error);
}

std::string SaveFailureMessage(const RuntimeError& error) {
    return withCause("Impossibile salvare i colori nel file " + QuotedPath(error.file()) + ".",
                     error) +
           "\nI colori non sono stati cambiati.";
}

std::string NoEditorMessage(EditorProblem problem, const std::string& file,
                            const std::string& advice) {
    const std::string text =
        problem == EditorProblem::NoProgramForText
            ? "Per aprire il file " + QuotedPath(file) +
                  " non \u00E8 impostato nessun programma per i file di testo."
            : "Nessun editor di testo ha potuto aprire il file " + QuotedPath(file) + ".";
    return advice.empty() ? text : text + "\n" + advice;
}

std::string FolderNotOpenedMessage(const std::string& folder) {
    return "Nessun gestore dei file ha potuto aprire la cartella " + QuotedPath(folder) + ".";
}

std::string SignInFailureMessage(const RuntimeError& error, bool on) {
    return withCause(std::string(on ? "Impossibile aggiungere" : "Impossibile togliere") +
                         " l\u2019avvio di Zelmora all\u2019accesso: il file " +
                         QuotedPath(error.file()) + " non si pu\u00F2 " +
                         (on ? "scrivere." : "eliminare."),
                     error) +
           "\nNon \u00E8 stato cambiato niente.";
}

std::optional<std::string> WriteFailureMessage(const std::string& program, int error) {
    const RuntimeError failure(kDeviceIo, {}, platform::CauseOf(error), platform::ErrorText(error));
    if (failure.cause() == Cause::BrokenPipe)
        return std::nullopt;
    return program + ": errore di scrittura: " + CauseText(failure) + "\n";
}

int WriteAnswer(const std::string& program, std::string_view text) {
    if (const int error = platform::WriteStandardOutput(text)) {
        if (const auto message = WriteFailureMessage(program, error))
            platform::WriteStandardError(ShowControlCharacters(*message));
        return kWriteFailedStatus;
    }
    return 0;
}

std::string UnexpectedErrorMessage(const std::string& what) {
    return "Errore imprevisto del programma: " + DecodePhraseBytes(what) +
           "\nIl comando non è stato completato.";
}

} // namespace zelmora
