// zelmora-bench-phrases FILE [MIB]: writes a large phrase file for the
// benchmarks, MIB mebibytes (512 unless given) of invented Italian-like
// phrases of 1 to 4 CR LF lines, each closed by "----" CR LF. The file is
// the same on every run: the words are drawn from a fixed-seed sequence.
//
// About one line in twelve holds a hyphen ("dopo-cena", a dash " - ", or a
// dialogue line opening with "- "), so the separator search meets hyphens
// that are not separators. The last phrase is kept whole, so the file stays
// just under the size asked for. Prints the number of phrases written.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 96> kWords = {
    "la",         "il",        "di",       "che",      "non",     "per",       "una",
    "un",         "con",       "del",      "della",    "nel",     "sul",       "ogni",
    "chi",        "come",      "quando",   "sempre",   "mai",     "più",       "già",
    "ancora",     "così",      "perché",   "però",     "anche",   "molto",     "poco",
    "giorno",     "notte",     "mattino",  "sera",     "strada",  "casa",      "mare",
    "monte",      "fiume",     "vento",    "pioggia",  "sole",    "luna",      "stella",
    "pane",       "vino",      "caffè",    "tempo",    "cuore",   "mano",      "passo",
    "porta",      "finestra",  "giardino", "albero",   "foglia",  "fiore",     "seme",
    "amico",      "fratello",  "nonna",    "bambino",  "maestro", "viandante", "pazienza",
    "fretta",     "silenzio",  "parola",   "pensiero", "sogno",   "ricordo",   "nebbia",
    "semina",     "raccoglie", "cammina",  "aspetta",  "ascolta", "ride",      "canta",
    "dimentica",  "ritrova",   "apre",     "chiude",   "porta",   "lascia",    "trova",
    "lungo",      "breve",     "dolce",    "amaro",    "chiaro",  "scuro",     "leggero",
    "tranquillo", "gentile",   "ostinato", "sereno",   "antico"};

constexpr std::array<std::string_view, 8> kCompounds = {
    "dopo-cena",     "sali-scendi",  "porta-finestra", "dormi-veglia",
    "capo-stazione", "mezzo-giorno", "sotto-voce",     "va-e-vieni"};

constexpr std::array<std::string_view, 4> kEndings = {".", ",", ";", ":"};

// splitmix64: a small, fast sequence that is the same on every machine.
class Sequence {
public:
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t state_ = 20240521;
};

void appendLine(std::string& out, Sequence& random) {
    const std::size_t start = out.size();
    const std::size_t target = 18 + random.below(54);
    const std::size_t hyphenKind = random.below(36); // 0..2: one kind of hyphen
    if (hyphenKind == 0)
        out += "- ";
    bool first = true;
    while (out.size() - start < target) {
        if (!first)
            out += ' ';
        std::string_view word = kWords[random.below(kWords.size())];
        if (first && hyphenKind != 0 && word[0] >= 'a' && word[0] <= 'z') {
            out += static_cast<char>(word[0] - 'a' + 'A');
            word.remove_prefix(1);
        }
        out += word;
        first = false;
    }
    if (hyphenKind == 1) {
        out += ' ';
        out += kCompounds[random.below(kCompounds.size())];
    } else if (hyphenKind == 2) {
        out += " - ";
        out += kWords[random.below(kWords.size())];
    }
    out += kEndings[random.below(kEndings.size())];
    out += "\r\n";
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "uso: %s FILE [MIB]\n", argv[0]);
        return 2;
    }
    const long mebibytes = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 512;
    if (mebibytes <= 0) {
        std::fprintf(stderr, "dimensione non valida: %s\n", argv[2]);
        return 2;
    }
    const auto limit = static_cast<std::uint64_t>(mebibytes) << 20;

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }

    Sequence random;
    std::string block;
    std::string phrase;
    block.reserve(std::size_t{1} << 21);
    std::uint64_t written = 0;
    std::uint64_t phrases = 0;
    bool ok = true;
    while (ok) {
        phrase.clear();
        const std::size_t lines = 1 + random.below(4);
        for (std::size_t i = 0; i < lines; ++i)
            appendLine(phrase, random);
        phrase += "----\r\n";
        if (written + block.size() + phrase.size() > limit)
            break;
        block += phrase;
        ++phrases;
        if (block.size() >= (std::size_t{1} << 20)) {
            ok = std::fwrite(block.data(), 1, block.size(), file) == block.size();
            written += block.size();
            block.clear();
        }
    }
    ok = ok && std::fwrite(block.data(), 1, block.size(), file) == block.size();
    if (std::fclose(file) != 0 || !ok) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(phrases));
    return 0;
}
