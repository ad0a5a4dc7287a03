// The commands of the main window without the window: the draw of another
// phrase, and that a command failing half-way changes nothing.

#include "app/error_messages.h"
#include "app/phrase_commands.h"
#include "error_of.h"
#include "runtime/errors.h"
#include "temp_dir.h"
#include "test_doubles.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace zelmora {
namespace {

using test::Phrases;
using test::ScriptedRandom;
using test::TempDir;

TEST(DrawOther, NeverRepeatsAndCoversEveryOtherPhrase) {
    Module1 state;
    state.PhraseCount = 5;
    state.CurrentIndex = 3;
    std::vector<double> draws;
    for (int i = 0; i < 40; ++i)
        draws.push_back((i * 0.37) - static_cast<int>(i * 0.37));
    ScriptedRandom random(draws);
    std::set<std::int64_t> seen;
    for (int i = 0; i < 40; ++i) {
        const auto n = DrawOther(state, random);
        ASSERT_TRUE(n);
        ASSERT_NE(*n, state.CurrentIndex);
        ASSERT_GE(*n, 1);
        ASSERT_LE(*n, 5);
        state.CurrentIndex = *n;
        seen.insert(*n);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(random.drawsTaken(), 40u) << "one draw each, never a redraw";
}

TEST(DrawOther, TakesAnyPhraseFromAnIndexOutsideTheCountAndNoneWhenThereIsNoOther) {
    Module1 state;
    state.PhraseCount = 3;
    state.CurrentIndex = 9; // the file shrank under the phrase on show
    ScriptedRandom last({0.99});
    EXPECT_EQ(DrawOther(state, last), 3);

    state.CurrentIndex = 1;
    for (const PhraseCountValue count :
         {PhraseCountValue{1}, PhraseCountValue{0}, PhraseCountValue{}}) {
        state.PhraseCount = count;
        ScriptedRandom random({0.0, 0.5, 0.99});
        EXPECT_EQ(DrawOther(state, random), std::nullopt);
    }
    // No file yet (index 0): phrase 1 is the only one there could be.
    state.CurrentIndex = 0;
    ScriptedRandom random({0.7});
    EXPECT_EQ(DrawOther(state, random), 1);
}

TEST(DrawAtRandom, ReachesPhrasesPastTheOldSixteenBitLimit) {
    TempDir dir;
    dir.write("tesmi.txt", Phrases(40000));
    Module1 state;
    state.PhraseCount = 40000;
    state.CurrentIndex = 1;
    ScriptedRandom random({0.99999});
    ASSERT_TRUE(DrawAtRandom(state, dir.path(), random));
    EXPECT_EQ(state.CurrentIndex, 40000);
    EXPECT_EQ(state.PhraseText, "frase 40000");
}

TEST(PhraseCommands, FailingHalfWayLeaveTheStateAsItWas) {
    TempDir dir;
    Module1 before;
    before.PhraseText = "frase 1";
    before.PhraseCount = 8;
    before.CurrentIndex = 1;
    const auto expectUnchanged = [&](const Module1& state) {
        EXPECT_EQ(state.PhraseText, before.PhraseText);
        EXPECT_EQ(state.PhraseCount, before.PhraseCount);
        EXPECT_EQ(state.CurrentIndex, before.CurrentIndex);
    };
    for (const char* file :
         std::vector<const char*>{"", "frase 1\r\n----\r\nfrase 2\r\n----\r\n", nullptr}) {
        SCOPED_TRACE(file ? file : "no file");
        std::filesystem::remove(dir / "tesmi.txt");
        if (file)
            dir.write("tesmi.txt", file);
        Module1 state = before;
        ScriptedRandom random({0.99}); // phrase 8, not in any of these files
        EXPECT_THROW(DrawAtRandom(state, dir.path(), random), RuntimeError);
        expectUnchanged(state);
        if (!file) {
            EXPECT_THROW(Recount(state, dir.path()), RuntimeError);
            expectUnchanged(state);
        }
    }
}

// An emptied file's true count is zero: stored before the failure is told,
// so that the next draw no longer reaches for phrases that are gone.
TEST(PhraseCommands, RecountOfAnEmptiedFileStoresZero) {
    TempDir dir;
    dir.write("tesmi.txt", "");
    Module1 state;
    state.PhraseText = "frase 2";
    state.PhraseCount = 8;
    state.CurrentIndex = 2;
    const auto error = test::ErrorOf([&] { Recount(state, dir.path()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kInputPastEnd);
    EXPECT_EQ(error->cause(), Cause::EmptyFile);
    EXPECT_EQ(state.PhraseCount, 0);
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(state.PhraseText, "frase 2");
}

// "Casuale" and "Aggiorna" on a file Notepad saved as "Unicode", and
// "Aggiorna" on one that PowerShell's `>>` turned to UTF-16 half-way: told,
// in words that say how to mend it, with the count on show kept.
TEST(PhraseCommands, ReadUtf16FilesAndTellOfAUtf16Tail) {
    TempDir dir;
    dir.write("tesmi.txt", test::Utf16File("citt\u00E0\r\n----\r\n" + Phrases(3)));
    Module1 state;
    Recount(state, dir.path());
    EXPECT_EQ(state.PhraseCount, 4);
    state.CurrentIndex = 2;
    ScriptedRandom random({0.0});
    ASSERT_TRUE(DrawAtRandom(state, dir.path(), random));
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(state.PhraseText, "citt\u00E0");

    dir.write("tesmi.txt", Phrases(2) + test::Utf16File("frase 3\r\n----\r\n", false, false));
    const auto error = test::ErrorOf([&] { Recount(state, dir.path()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(state.PhraseCount, 4);
    EXPECT_EQ(ErrorMessage(*error),
              "Il file \u201C" + (dir / "tesmi.txt").string() +
                  "\u201D \u00E8 salvato, in tutto o in parte, in un\u2019altra codifica e non si "
                  "pu\u00F2 leggere bene.\nAprilo con il Blocco note (o un altro editor di testo) "
                  "e salvalo di nuovo in UTF-8: \u00ABFile\u00BB, \u00ABSalva con nome\u00BB, "
                  "Codifica \u00ABUTF-8\u00BB.");
}

} // namespace
} // namespace zelmora
