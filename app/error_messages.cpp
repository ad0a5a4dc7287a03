#include "app/error_messages.h"

#include "app/text_encoding.h"

namespace zelmora {

namespace {

// A path between quotes, shown the way phrase text is: a folder named in
// another encoding still reads as letters, not as broken bytes.
std::string quoted(const std::string& file) {
    return "\u201C" + DecodePhraseBytes(file.empty() ? std::string("?") : file) + "\u201D";
}

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
    case Cause::PermissionDenied:
        return "permesso negato";
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
    case Cause::Other:
        break;
    }
    return DecodePhraseBytes(error.systemText());
}

std::string ErrorMessage(const RuntimeError& error) {
    const std::string file = quoted(error.file());
    std::string text;
    switch (error.number()) {
    case kFileNotFound:
        // "Not found" says it all; the cause would repeat it.
        return "Il file " + file + " non è stato trovato.";
    case kInputPastEnd:
        text = "Il file " + file +
               " è finito prima del previsto: è vuoto, oppure è stato "
               "accorciato e non contiene più la frase richiesta.";
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
    default:
        text = "Errore " + std::to_string(error.number()) +
               (error.file().empty() ? std::string() : " con il file " + file) + ".";
        break;
    }
    return withCause(std::move(text), error);
}

std::string SaveFailureMessage(const RuntimeError& error) {
    return withCause("Impossibile salvare i colori nel file " + quoted(error.file()) + ".", error) +
           "\nI colori non sono stati cambiati.";
}

std::string NoEditorMessage(const std::string& file) {
    return "Nessun editor di testo ha potuto aprire il file " + quoted(file) +
           ".\nPer aprirlo da Zelmora installa un editor di testo (per esempio gedit, "
           "mousepad o kate) e il pacchetto xdg-utils, che lo avvia.";
}

std::string UnexpectedErrorMessage(const std::string& what) {
    return "Errore imprevisto del programma: " + DecodePhraseBytes(what) +
           "\nIl comando non è stato completato.";
}

} // namespace zelmora
