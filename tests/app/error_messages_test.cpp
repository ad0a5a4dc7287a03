#include "app/error_messages.h"

#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ErrorMessage, GivesEveryReasonInItalianKeepingTheSystemsWordsForTheRareOnes) {
    const std::pair<Cause, const char*> cases[] = {
        {Cause::PermissionDenied, "permesso negato"},
        {Cause::NoSpace, "spazio esaurito"},
        {Cause::ReadOnlyFileSystem, "il disco è di sola lettura"},
        {Cause::IsFolder, "è una cartella"},
        {Cause::NotOrdinaryFile, "non è un file ordinario"},
        {Cause::TooManyOpenFiles, "troppi file aperti"},
        {Cause::Missing, "file o cartella inesistente"},
        {Cause::TooManyLinks, "troppi collegamenti simbolici"},
        {Cause::NameTooLong, "il nome del file è troppo lungo"},
        {Cause::WorkingFolderGone, "la cartella di lavoro non esiste più"},
        {Cause::Other, "errore di sistema (Stale file handle)"},
    };
    for (const auto& [cause, words] : cases) {
        SCOPED_TRACE(words);
        const RuntimeError error(kPathFileAccess, "/home/anna/tesmi.txt", cause,
                                 "Stale file handle");
        const std::string text = ErrorMessage(error);
        EXPECT_TRUE(Contains(text, "\u201C/home/anna/tesmi.txt\u201D")) << text;
        EXPECT_TRUE(Contains(text, std::string("Motivo: ") + words)) << text;
        EXPECT_TRUE(Contains(SaveFailureMessage(error), words));
    }
}

TEST(ErrorMessage, SaysWhatIsWrongWithAFileThatIsNotThereOrIsEmpty) {
    const auto message = [](int number, Cause cause, std::string target = {}) {
        return ErrorMessage(RuntimeError(number, "/tmp/g4/tesmi.txt", cause, std::move(target)));
    };
    EXPECT_EQ(message(kFileNotFound, Cause::Missing),
              "Il file \u201C/tmp/g4/tesmi.txt\u201D non è stato trovato.");
    EXPECT_EQ(message(kFileNotFound, Cause::WorkingFolderGone),
              "Il file \u201C/tmp/g4/tesmi.txt\u201D non è stato trovato.\n"
              "Motivo: la cartella di lavoro non esiste più.");
    EXPECT_EQ(message(kFileNotFound, Cause::DanglingLink, "../frasi.txt"),
              "Il file \u201C/tmp/g4/tesmi.txt\u201D è un collegamento a un file che non esiste "
              "(\u201C../frasi.txt\u201D).");
    EXPECT_EQ(message(kInputPastEnd, Cause::EmptyFile),
              "Il file \u201C/tmp/g4/tesmi.txt\u201D è vuoto: non contiene frasi.");
    EXPECT_TRUE(Contains(message(kInputPastEnd, Cause::None), "accorciato"));
}

TEST(SaveFailureMessage, NamesTheFileAndWhyAndSaysTheColoursStayed) {
    EXPECT_EQ(SaveFailureMessage(
                  RuntimeError(kPathFileAccess, "/home/anna/opzioni.txt", Cause::PermissionDenied)),
              "Impossibile salvare i colori nel file \u201C/home/anna/opzioni.txt\u201D.\n"
              "Motivo: permesso negato.\n"
              "I colori non sono stati cambiati.");
}

TEST(ErrorMessage, NamesAFolderInAnotherEncodingReadably) {
    const RuntimeError error(kFileNotFound, "/tmp/caff\xE8/tesmi.txt", Cause::Missing);
    EXPECT_EQ(ErrorMessage(error),
              "Il file \u201C/tmp/caff\u00E8/tesmi.txt\u201D non è stato trovato.");
}

} // namespace
} // namespace zelmora
