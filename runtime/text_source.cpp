#include "runtime/text_source.h"

#include "runtime/errors.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// The vector paths are built on every x86-64 compiler that knows the
// processor's extensions (GCC and clang, also for MinGW), AVX2 and AVX-512 in
// functions of their own; the processor is asked at run time which it has.
#if defined(__x86_64__) && defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define ZELMORA_TEXT_X86 1
#define ZELMORA_TEXT_AVX2 __attribute__((target("avx2")))
#define ZELMORA_TEXT_AVX512 __attribute__((target("avx512bw,avx512vbmi2,popcnt")))
#endif

namespace zelmora {

namespace {

// Raw bytes are read this many at a time: small enough to stay in the
// processor's cache while they are decoded.
constexpr std::size_t kRawBlock = std::size_t{64} << 10;
// Below this much room a read is decoded into the spill and copied out.
constexpr std::size_t kDirectRoom = 16;
// From this much room on, raw bytes are read into the reader's own buffer and
// decoded there, in reads as large as the reader's.
constexpr std::size_t kInPlaceRoom = 4096;
// How far the raw bytes read in place start beyond a third of the room.
constexpr std::size_t kInPlaceGap = 64;
// Units decoded one by one after the vector path stopped at one it does not
// take, before it tries again.
constexpr std::size_t kByHand = 16;

constexpr char32_t kReplacement = 0xFFFD;
// How many of the last bytes of a file read as bytes are remembered.
constexpr std::size_t kNulHistory = 5;

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Writes the UTF-8 bytes of `c` (U+0080 and up) at `o`; returns where they end.
char* putUtf8(char* o, char32_t c) {
    if (c < 0x800) {
        *o++ = static_cast<char>(0xC0 | (c >> 6));
    } else {
        if (c < 0x10000) {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
        } else {
            *o++ = static_cast<char>(0xF0 | (c >> 18));
            *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        }
        *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (c & 0x3F));
    return o;
}

#if ZELMORA_TEXT_X86
// The vector paths take text below U+0800 (ASCII and the letters of two
// UTF-8 bytes: accents, Greek, Cyrillic) while at least kFastUnits code units
// are left before `stop`, and return at a unit they do not take, leaving `p`
// and `o` past what they did. They write at most 64 bytes past `o` (the room
// for 32 units is 96), and never more bytes than twice the units they take.
constexpr std::size_t kFastUnits = 32;

// SSE2: 32 units at a time while they are ASCII; a two-byte letter is
// written by itself, and the run goes on after it.
void fastSse2(const unsigned char*& p, const unsigned char* stop, char*& o, bool little) {
    // A unit is ASCII when only the low 7 bits of its value are set: the
    // first byte's of a little-endian one, the second's of a big-endian one.
    const __m128i beyond = _mm_set1_epi16(static_cast<short>(little ? 0xFF80 : 0x80FF));
    const __m128i zero = _mm_setzero_si128();
    const auto asciiMask = [&](__m128i a, __m128i b) {
        const __m128i ascii = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_and_si128(a, beyond), zero),
                                              _mm_cmpeq_epi16(_mm_and_si128(b, beyond), zero));
        return static_cast<unsigned>(_mm_movemask_epi8(ascii));
    };
    while (static_cast<std::size_t>(stop - p) >= 2 * kFastUnits) {
        const auto* in = reinterpret_cast<const __m128i*>(p);
        __m128i v[4] = {_mm_loadu_si128(in), _mm_loadu_si128(in + 1), _mm_loadu_si128(in + 2),
                        _mm_loadu_si128(in + 3)};
        const __m128i all = _mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]));
        const bool allAscii =
            _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(all, beyond), zero)) == 0xFFFF;
        const auto count = allAscii ? static_cast<unsigned>(kFastUnits)
                                    : static_cast<unsigned>(std::countr_one(
                                          asciiMask(v[0], v[1]) | asciiMask(v[2], v[3]) << 16));
        if (!little)
            for (__m128i& x : v)
                x = _mm_srli_epi16(x, 8);
        auto* out = reinterpret_cast<__m128i*>(o);
        _mm_storeu_si128(out, _mm_packus_epi16(v[0], v[1]));
        _mm_storeu_si128(out + 1, _mm_packus_epi16(v[2], v[3]));
        o += count;
        p += 2 * count;
        if (allAscii)
            continue;
        const unsigned unit = little ? p[0] | unsigned{p[1]} << 8 : unsigned{p[0]} << 8 | p[1];
        if (unit >= 0x800)
            return;
        o[0] = static_cast<char>(0xC0 | unit >> 6);
        o[1] = static_cast<char>(0x80 | (unit & 0x3F));
        o += 2;
        p += 2;
    }
}

// For the eight units of one half of a 32-byte register, by which of them
// take two bytes: where each of their bytes goes (0x80: nowhere) and how
// many bytes they make.
struct Compaction {
    unsigned char shuffle[256][16];
    unsigned char length[256];
};

constexpr Compaction MakeCompaction() {
    Compaction c{};
    for (unsigned wide = 0; wide < 256; ++wide) {
        unsigned n = 0;
        for (unsigned i = 0; i < 8; ++i) {
            c.shuffle[wide][n++] = static_cast<unsigned char>(2 * i);
            if (wide >> i & 1)
                c.shuffle[wide][n++] = static_cast<unsigned char>(2 * i + 1);
        }
        c.length[wide] = static_cast<unsigned char>(n);
        while (n < 16)
            c.shuffle[wide][n++] = 0x80;
    }
    return c;
}

alignas(64) constexpr Compaction kCompaction = MakeCompaction();

ZELMORA_TEXT_AVX2 inline __attribute__((always_inline)) __m256i loadUnits(const unsigned char* p,
                                                                          bool little) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1,
                                          0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    return little ? v : _mm256_shuffle_epi8(v, swap);
}

// Writes the UTF-8 of 16 units (in native order) below U+0800 at `o`;
// false, writing nothing, when one is not.
ZELMORA_TEXT_AVX2 inline __attribute__((always_inline)) bool twoByteUnits(__m256i v, char*& o) {
    if (!_mm256_testz_si256(v, _mm256_set1_epi16(static_cast<short>(0xF800))))
        return false;
    // A unit of two bytes becomes its lead byte followed by its continuation
    // byte; an ASCII one keeps its low byte, and the shuffle drops the other.
    const __m256i lead = _mm256_or_si256(_mm256_srli_epi16(v, 6), _mm256_set1_epi16(0xC0));
    const __m256i next = _mm256_slli_epi16(
        _mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi16(0x3F)), _mm256_set1_epi16(0x80)), 8);
    const __m256i wide = _mm256_cmpgt_epi16(v, _mm256_set1_epi16(0x7F));
    const __m256i bytes = _mm256_blendv_epi8(v, _mm256_or_si256(lead, next), wide);
    const auto mask = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_packs_epi16(wide, _mm256_setzero_si256())));
    for (const unsigned half : {0u, 1u}) {
        const unsigned which = mask >> 16 * half & 0xFF;
        const __m128i part =
            half ? _mm256_extracti128_si256(bytes, 1) : _mm256_castsi256_si128(bytes);
        const __m128i shuffle =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[which]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(part, shuffle));
        o += kCompaction.length[which];
    }
    return true;
}

// AVX2: 32 units at a time while they are ASCII, 16 at a time with
// two-byte letters among them.
ZELMORA_TEXT_AVX2 void fastAvx2(const unsigned char*& from, const unsigned char* stop, char*& to,
                                bool little) {
    const __m256i beyond = _mm256_set1_epi16(static_cast<short>(0xFF80));
    const unsigned char* p = from;
    char* o = to;
    while (static_cast<std::size_t>(stop - p) >= 2 * kFastUnits) {
        const __m256i a = loadUnits(p, little);
        const __m256i b = loadUnits(p + 32, little);
        if (_mm256_testz_si256(_mm256_or_si256(a, b), beyond)) {
            // The packing works within each 16-byte half: put them in order.
            const __m256i ascii = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), ascii);
            o += 32;
            p += 64;
            continue;
        }
        if (!twoByteUnits(a, o))
            break;
        p += 32;
        if (!twoByteUnits(b, o))
            break;
        p += 32;
    }
    from = p;
    to = o;
}

// AVX-512 with VBMI2: 32 units at a time, each made into both of its
// UTF-8 forms and the bytes kept pressed together, without a branch.
ZELMORA_TEXT_AVX512 void fastAvx512(const unsigned char*& from, const unsigned char* stop,
                                    char*& to, bool little) {
    const __m512i swap = _mm512_set4_epi32(0x0E0F0C0D, 0x0A0B0809, 0x06070405, 0x02030001);
    const __m512i beyond = _mm512_set1_epi16(static_cast<short>(0xF800));
    const __m512i ascii = _mm512_set1_epi16(0x7F);
    const __m512i low6 = _mm512_set1_epi16(0x3F00);
    const __m512i marks = _mm512_set1_epi16(static_cast<short>(0x80C0));
    // The first byte of every unit is kept; the second only where it is
    // the continuation byte of a two-byte letter (never 0, where ASCII's is).
    const __mmask64 first = 0x5555555555555555;
    const unsigned char* p = from;
    char* o = to;
    while (static_cast<std::size_t>(stop - p) >= 2 * kFastUnits) {
        __m512i v = _mm512_loadu_si512(p);
        if (!little)
            v = _mm512_shuffle_epi8(v, swap);
        if (_mm512_test_epi16_mask(v, beyond))
            break;
        // The lead byte 110xxxxx, then the continuation byte 10xxxxxx.
        const __m512i two =
            _mm512_or_si512(_mm512_or_si512(_mm512_srli_epi16(v, 6),
                                            _mm512_and_si512(_mm512_slli_epi16(v, 8), low6)),
                            marks);
        const __m512i bytes = _mm512_mask_mov_epi16(v, _mm512_cmpgt_epu16_mask(v, ascii), two);
        const __mmask64 keep = _mm512_test_epi8_mask(bytes, bytes) | first;
        _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, bytes));
        o += std::popcount(keep);
        p += 2 * kFastUnits;
    }
    from = p;
    to = o;
}

#endif

} // namespace

bool TextSource::runs(Decoder decoder) {
    switch (decoder) {
    case Decoder::Fastest:
    case Decoder::Portable:
        return true;
#if ZELMORA_TEXT_X86
    case Decoder::Sse2:
        return true;
    case Decoder::Avx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    case Decoder::Avx512:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2") &&
               __builtin_cpu_supports("popcnt");
#else
    case Decoder::Sse2:
    case Decoder::Avx2:
    case Decoder::Avx512:
        return false;
#endif
    }
    return false;
}

TextSource::TextSource(ByteSource& raw, Decoder decoder)
    : raw_(raw)
    , rawBuf_(std::make_unique_for_overwrite<char[]>(kRawBlock)) {
#if ZELMORA_TEXT_X86
    if (decoder == Decoder::Fastest)
        decoder = runs(Decoder::Avx512) ? Decoder::Avx512
                  : runs(Decoder::Avx2) ? Decoder::Avx2
                                        : Decoder::Sse2;
    if (decoder == Decoder::Avx512 && runs(decoder))
        fast_ = fastAvx512;
    else if (decoder == Decoder::Avx2 && runs(decoder))
        fast_ = fastAvx2;
    else if (decoder == Decoder::Sse2)
        fast_ = fastSse2;
#else
    (void)decoder;
#endif
}

TextSource::~TextSource() = default;

void TextSource::rewind() {
    raw_.rewind();
    encoding_ = Encoding::NotYetRead;
    rawPos_ = rawEnd_ = 0;
    rawDone_ = false;
    high_ = 0;
    nulHistory_ = 0;
    spillPos_ = spillEnd_ = 0;
}

// Bit k of the history: the byte k places before the last one looked at
// (bit 0: that byte itself) was NUL. Three NUL bytes two apart are UTF-16.
void TextSource::refuseUtf16(const char* bytes, std::size_t size) {
    const auto shifted = [](unsigned history, std::size_t by) {
        return by >= kNulHistory ? 0u : (history << by) & ((1u << kNulHistory) - 1);
    };
    const auto* nul = static_cast<const char*>(std::memchr(bytes, 0, size));
    if (!nul) {
        nulHistory_ = shifted(nulHistory_, size);
        return;
    }
    // A stray NUL byte is shown as the other control characters are.
    nulHistory_ = shifted(nulHistory_, static_cast<std::size_t>(nul - bytes));
    for (const char* p = nul; p != bytes + size; ++p) {
        nulHistory_ = shifted(nulHistory_, 1) | unsigned{*p == 0};
        if ((nulHistory_ & 0b10101u) == 0b10101u)
            throw RuntimeError(kBadFileFormat, raw_.name(), Cause::PartlyUtf16);
    }
}

// Keeps the raw bytes not yet used (at most one) and reads more after them.
bool TextSource::fillRaw() {
    if (rawDone_)
        return false;
    const std::size_t left = rawEnd_ - rawPos_;
    std::memmove(rawBuf_.get(), rawBuf_.get() + rawPos_, left);
    rawPos_ = 0;
    rawEnd_ = left;
    const std::size_t n = raw_.read(std::span<char>(rawBuf_.get() + left, kRawBlock - left));
    if (n == 0) {
        rawDone_ = true;
        return false;
    }
    rawEnd_ += n;
    return true;
}

// The first bytes tell UTF-16 from the rest; the first block is read into
// the raw buffer to see them, and from there handed on like any other.
void TextSource::start() {
    while (rawEnd_ < 2 && fillRaw()) {
    }
    const auto* first = reinterpret_cast<const unsigned char*>(rawBuf_.get());
    const bool little = rawEnd_ >= 2 && first[0] == 0xFF && first[1] == 0xFE;
    if (little || (rawEnd_ >= 2 && first[0] == 0xFE && first[1] == 0xFF)) {
        encoding_ = little ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
        rawPos_ = 2;
        // The mark is handed on as UTF-8's, which the readers pass over as in
        // a file saved as UTF-8: a file holding only the mark is no phrase,
        // not an empty file.
        spillPos_ = 0;
        spillEnd_ = static_cast<std::size_t>(putUtf8(spill_, 0xFEFF) - spill_);
    } else {
        encoding_ = Encoding::Bytes;
        refuseUtf16(rawBuf_.get(), rawEnd_);
    }
}

// Writes the UTF-8 of one code unit, joining the halves of a surrogate pair.
char* TextSource::decodeUnit(char* o, char32_t u) {
    if (high_ != 0) {
        const char32_t high = high_;
        high_ = 0;
        if (isLowSurrogate(u))
            return putUtf8(o, 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
        o = putUtf8(o, kReplacement);
    }
    if (u < 0x80) {
        *o++ = static_cast<char>(u);
        return o;
    }
    if (isHighSurrogate(u)) {
        high_ = static_cast<char16_t>(u);
        return o;
    }
    return putUtf8(o, isLowSurrogate(u) ? kReplacement : u);
}

// Decodes the units from `p` to `stop` to `o` on; returns where they end.
char* TextSource::decodeUnits(const unsigned char* p, const unsigned char* stop, char* o,
                              bool little) {
    while (p != stop) {
        // The vector path cannot wait for the second half of a pair.
        if (fast_ && high_ == 0) {
            fast_(p, stop, o, little);
            if (p == stop)
                break;
        }
        // By hand up to where the vector path may take over again.
        const auto* const end = p + std::min(static_cast<std::size_t>(stop - p), 2 * kByHand);
        for (; p != end; p += 2)
            o = decodeUnit(o, little ? char32_t{p[0]} | char32_t{p[1]} << 8
                                     : char32_t{p[0]} << 8 | char32_t{p[1]});
    }
    return o;
}

// Decodes UTF-16 into `out` until fewer than 6 bytes of room are left or the
// input ends, or the raw buffer is used up with room enough to read in place;
// returns how many bytes it wrote, 0 only then or at the end.
std::size_t TextSource::decode(char* out, std::size_t room) {
    char* o = out;
    char* const limit = out + room;
    const bool little = encoding_ == Encoding::Utf16LittleEndian;
    for (;;) {
        const auto free = static_cast<std::size_t>(limit - o);
        if (free < 6)
            break;
        // Each unit writes at most 3 bytes, and a high surrogate left waiting
        // by the pass before at most 3 more (U+FFFD when no low one follows).
        const std::size_t units = std::min((rawEnd_ - rawPos_) / 2, free / 3 - 1);
        if (units == 0) {
            if (free >= kInPlaceRoom && !rawDone_)
                break;
            if (fillRaw())
                continue;
            // The end: what still waits makes no whole character.
            if (high_ != 0) {
                high_ = 0;
                o = putUtf8(o, kReplacement);
                continue;
            }
            if (rawPos_ < rawEnd_) {
                rawPos_ = rawEnd_;
                o = putUtf8(o, kReplacement);
                continue;
            }
            break;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(rawBuf_.get() + rawPos_);
        rawPos_ += 2 * units;
        o = decodeUnits(p, p + 2 * units, o, little);
    }
    return static_cast<std::size_t>(o - out);
}

// Reads raw bytes into the last two thirds of `out` and decodes them to its
// front. A unit makes at most 3 bytes of its 2, so what is written stays more
// than kInPlaceGap bytes behind what is still to be decoded, further than the
// vector paths write ahead. Returns how many bytes it wrote: 0 at the end of
// the file, or when it read a single byte, kept for the next read.
std::size_t TextSource::decodeInPlace(char* out, std::size_t room) {
    const std::size_t start = room / 3 + kInPlaceGap;
    char* const in = out + start;
    // The odd byte the read before left, if any.
    std::size_t have = rawEnd_ - rawPos_;
    if (have != 0)
        in[0] = rawBuf_[rawPos_];
    rawPos_ = rawEnd_ = 0;
    const std::size_t n = raw_.read(std::span<char>(in + have, room - start - have));
    if (n == 0)
        rawDone_ = true;
    have += n;
    if (have % 2 != 0) {
        rawBuf_[0] = in[have - 1];
        rawEnd_ = 1;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    const char* end =
        decodeUnits(p, p + (have - have % 2), out, encoding_ == Encoding::Utf16LittleEndian);
    return static_cast<std::size_t>(end - out);
}

std::size_t TextSource::drainSpill(std::span<char> buffer) {
    const std::size_t n = std::min(buffer.size(), spillEnd_ - spillPos_);
    std::memcpy(buffer.data(), spill_ + spillPos_, n);
    spillPos_ += n;
    return n;
}

std::size_t TextSource::read(std::span<char> buffer) {
    if (encoding_ == Encoding::NotYetRead)
        start();
    if (encoding_ == Encoding::Bytes) {
        // The first block waits in the raw buffer, already looked at.
        if (rawPos_ < rawEnd_) {
            const std::size_t n = std::min(buffer.size(), rawEnd_ - rawPos_);
            std::memcpy(buffer.data(), rawBuf_.get() + rawPos_, n);
            rawPos_ += n;
            return n;
        }
        const std::size_t n = raw_.read(buffer);
        refuseUtf16(buffer.data(), n);
        return n;
    }
    std::size_t produced = drainSpill(buffer);
    while (produced < buffer.size()) {
        const std::size_t room = buffer.size() - produced;
        if (room >= kInPlaceRoom && rawEnd_ - rawPos_ <= 1 && !rawDone_) {
            produced += decodeInPlace(buffer.data() + produced, room);
            // One read of the file for each: the reads stay as large.
            if (produced > 0)
                break;
        } else if (room >= kDirectRoom) {
            const std::size_t n = decode(buffer.data() + produced, room);
            if (n == 0 && rawDone_)
                break;
            produced += n;
        } else {
            spillPos_ = 0;
            spillEnd_ = decode(spill_, sizeof spill_);
            if (spillEnd_ == 0)
                break;
            produced += drainSpill(buffer.subspan(produced));
        }
    }
    return produced;
}

} // namespace zelmora
