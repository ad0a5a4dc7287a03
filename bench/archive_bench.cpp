// zelmora-archive-bench: runs one phrase file routine once, so that a script
// can time it as a whole process, side by side with wc and grep.
//
//   zelmora-archive-bench count FILE        CountPhrases; prints the count
//   zelmora-archive-bench load FILE N       LoadPhrase of phrase N; prints
//                                           its length in bytes
//
//   zelmora-archive-bench search            the separator search that the
//                                           phrase routines choose here
//
// count and load print their peak resident memory (KiB) on standard error.
// With --search NAME first (portable, sse2, avx2, neon), the scanner searches for
// separators that way, if the processor can.

#include "archive/phrase_archive.h"
#include "runtime/byte_source.h"
#include "runtime/errors.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <sys/resource.h>

namespace {

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int usage(const char* program) {
    std::fprintf(stderr, "uso: %s [--search NOME] count FILE | load FILE N | search\n", program);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    const char* program = argv[0];
    using Search = zelmora::PhraseScanner::Search;
    auto search = Search::Fastest;
    if (argc > 2 && std::string_view(argv[1]) == "--search") {
        const std::string_view name = argv[2];
        for (const Search named : zelmora::PhraseScanner::kSearches)
            if (zelmora::PhraseScanner::nameOf(named) == name)
                search = named;
        if (search == Search::Fastest || !zelmora::PhraseScanner::has(search)) {
            std::fprintf(stderr, "%s: ricerca \"%s\" sconosciuta o assente su questo processore\n",
                         program, argv[2]);
            return 2;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc == 2 && std::string_view(argv[1]) == "search") {
        const Search used = search == Search::Fastest ? zelmora::PhraseScanner::chosen() : search;
        std::printf("%s\n", std::string(zelmora::PhraseScanner::nameOf(used)).c_str());
        return 0;
    }
    if (argc < 3)
        return usage(program);
    const std::string_view command = argv[1];
    try {
        zelmora::InputFile file(argv[2]);
        if (command == "count" && argc == 3) {
            zelmora::PhraseCountValue count;
            zelmora::CountPhrases(file, count, search);
            std::printf("%lld\n", static_cast<long long>(count.value_or(0)));
        } else if (command == "load" && argc == 4) {
            const long long n = std::strtoll(argv[3], nullptr, 10);
            std::string text;
            zelmora::LoadPhrase(file, n, text, search);
            std::printf("%zu\n", text.size());
        } else {
            return usage(program);
        }
    } catch (const zelmora::RuntimeError& error) {
        std::fprintf(stderr, "errore %d\n", error.number());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "peak-rss-kib %ld\n", peakResidentKiB());
    return 0;
}
