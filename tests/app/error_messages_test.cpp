#include "app/error_messages.h"

#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ErrorMessage, GivesTheCommonReasonsInItalianAndTheRareOnesAsTheSystemSaysThem) {
    const std::pair<Cause, const char*> cases[] = {
        {Cause::PermissionDenied, "permesso negato"},
        {Cause::NoSpace, "spazio esaurito"},
        {Cause::ReadOnlyFileSystem, "il disco è di sola lettura"},
        {Cause::IsFolder, "è una cartella"},
        {Cause::NotOrdinaryFile, "non è un file ordinario"},
        {Cause::TooManyOpenFiles, "troppi file aperti"},
        {Cause::Missing, "file o cartella inesistente"},
        {Cause::Other, "Stale file handle"},
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

TEST(ErrorMessage, NamesAFolderInAnotherEncodingReadably) {
    const RuntimeError error(kFileNotFound, "/tmp/caff\xE8/tesmi.txt", Cause::Missing);
    EXPECT_EQ(ErrorMessage(error),
              "Il file \u201C/tmp/caff\u00E8/tesmi.txt\u201D non è stato trovato.");
}

} // namespace
} // namespace zelmora
