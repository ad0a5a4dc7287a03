#include "error_messages.h"

namespace zelmora {

namespace {

std::string quoted(const std::string& file) {
    return "\u201C" + file + "\u201D";
}

} // namespace

std::string ErrorMessage(const RuntimeError& error) {
    const std::string file = quoted(error.file().empty() ? std::string("?") : error.file());
    std::string text;
    switch (error.number()) {
    case kFileNotFound:
        text = "Il file " + file + " non è stato trovato.";
        break;
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
    if (!error.detail().empty())
        text += "\nMotivo: " + error.detail();
    return text;
}

} // namespace zelmora
