// The program on a phrase file of a gigabyte: counted, drawn from and
// recounted like any other. Slow, so CI's sanitizer pass leaves it out.

#include "running_program.h"

#include <fstream>

namespace zelmora {
namespace {

using test::Phrases;
using test::RunningProgram;

TEST_F(RunningProgram, GigabytePhraseFileIsCountedAndDrawnFrom) {
    // 1 GiB of phrases, written in large pieces.
    const std::string block = Phrases(4096);
    const std::uint64_t target = std::uint64_t{1} << 30;
    std::uint64_t blocks = target / block.size() + 1;
    {
        std::ofstream out(dir_ / "tesmi.txt", std::ios::binary);
        for (std::uint64_t i = 0; i < blocks; ++i)
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        ASSERT_TRUE(out.good());
    }
    const std::int64_t count = static_cast<std::int64_t>(blocks) * 4096;

    start();
    EXPECT_EQ(state_.PhraseCount, count);
    EXPECT_EQ(shown("Label1"), QStringLiteral("frase 2"));

    doubles_.random.setDraws({0.999999999});
    click("ancora");
    EXPECT_TRUE(messages().empty());
    EXPECT_GT(state_.CurrentIndex, count - 4096);
    EXPECT_EQ(shown("Label1"),
              QStringLiteral("frase %1").arg((state_.CurrentIndex - 1) % 4096 + 1));

    click("aggiorna");
    EXPECT_EQ(shown("Label2"), QStringLiteral("%1 / %2").arg(state_.CurrentIndex).arg(count));
}
} // namespace
} // namespace zelmora
