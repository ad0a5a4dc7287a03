// The window program's command line and the sign-in entry that starts it
// again with the same folder and days.

#include "app/window_options.h"

#include <gtest/gtest.h>
#include <string>
#include <variant>
#include <vector>

namespace zelmora {
namespace {

WindowOptions Parsed(std::vector<std::string> arguments) {
    const auto result = ParseWindowArguments(arguments);
    if (!std::holds_alternative<WindowOptions>(result)) {
        ADD_FAILURE() << std::get<std::string>(result);
        return {};
    }
    return std::get<WindowOptions>(result);
}

TEST(WindowArguments, TheFolderAnywhereAndTheDaysAsTheyWereRead) {
    EXPECT_EQ(Parsed({"7"}).commandLine, "7");
    EXPECT_EQ(Parsed({}).directory, "");
    const WindowOptions both = Parsed({"-C", "/home/ana/Le mie frasi", "7"});
    EXPECT_EQ(both.directory, "/home/ana/Le mie frasi");
    EXPECT_EQ(both.commandLine, "7");
    EXPECT_EQ(Parsed({"7", "-C/tmp"}).directory, "/tmp");
    EXPECT_EQ(Parsed({"7", "-C/tmp"}).commandLine, "7");
    EXPECT_EQ(Parsed({"-C", "", "3"}).directory, "") << "the working folder, as git -C ''";
    EXPECT_EQ(Parsed({"-5", "12abc"}).commandLine, "-5 12abc") << "read as always";
    EXPECT_EQ(Parsed({"--", "-C", "x"}).commandLine, "-C x");

    const auto alone = ParseWindowArguments({"7", "-C"});
    ASSERT_TRUE(std::holds_alternative<std::string>(alone));
    EXPECT_EQ(
        std::get<std::string>(alone),
        "zelmora: l\u2019opzione -C richiede una cartella (zelmora --help per l\u2019aiuto)\n");
}

TEST(SignInEntry, StartsTheProgramInItsFolderWithItsDays) {
    const auto plain = SignInEntryText("/usr/bin/zelmora", "/home/ana/Frasi", 7);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=Zelmora\n"
                      "Comment=La frase del giorno a ogni accesso\n"
                      "Icon=example.zelmora.Zelmora\n"
                      "TryExec=/usr/bin/zelmora\n"
                      "Exec=/usr/bin/zelmora -C /home/ana/Frasi 7\n"
                      "Path=/home/ana/Frasi\n"
                      "Terminal=false\n"
                      "X-GNOME-Autostart-enabled=true\n");

    // Blanks, quotes, dollars, backslashes and per cents: quoted for the
    // Exec line, then each backslash doubled as every value's is.
    const auto odd = SignInEntryText("/opt/z z/zelmora", "/home/ana/\"100%\" $x\\y", 1);
    ASSERT_TRUE(odd);
    EXPECT_NE(odd->find("\nExec=\"/opt/z z/zelmora\" -C \"/home/ana/\\\\\"100%%\\\\\" "
                        "\\\\$x\\\\\\\\y\" 1\n"),
              std::string::npos)
        << *odd;
    EXPECT_NE(odd->find("\nPath=/home/ana/\"100%\" $x\\\\y\n"), std::string::npos) << *odd;

    // What a desktop entry cannot hold is refused, never written half.
    EXPECT_FALSE(SignInEntryText("/usr/bin/zelmora", "/home/ana/caff\xE8", 1));
    EXPECT_FALSE(SignInEntryText("/usr/bin/zelmora", "/home/ana/a\nExec=rm", 1));
}

TEST(SignInEntry, TheWindowsShortcutQuotesItsFolderAsWindowsReadsIt) {
    EXPECT_EQ(SignInShortcutArguments("C:\\Users\\Niccol\u00F2\\Documents\\Zelmora", 1),
              "-C \"C:\\Users\\Niccol\u00F2\\Documents\\Zelmora\" 1");
    // A backslash before the closing quote would escape it: doubled.
    EXPECT_EQ(SignInShortcutArguments("D:\\", 7), "-C \"D:\\\\\" 7");
}

} // namespace
} // namespace zelmora
