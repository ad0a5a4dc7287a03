#include "runtime/text_source.h"

#include "runtime/errors.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZELMORA_TEXT_SSE2 1
#endif

namespace zelmora {

namespace {

// Raw bytes are read this many at a time: small enough to stay in the
// processor's cache while they are decoded.
constexpr std::size_t kRawBlock = std::size_t{64} << 10;
// Below this much room a read is decoded into the spill and copied out.
constexpr std::size_t kDirectRoom = 16;

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

#if ZELMORA_TEXT_SSE2
constexpr std::size_t kAsciiRun = 32;

// Phrases are mostly ASCII, which is checked and narrowed to bytes 32 code
// units at a time. Writes 32 bytes at `o` and returns how many of the units
// from `p` on are ASCII (those bytes are their UTF-8).
unsigned asciiUnits(const unsigned char* p, char* o, bool little) {
    const auto* in = reinterpret_cast<const __m128i*>(p);
    __m128i v[4] = {_mm_loadu_si128(in), _mm_loadu_si128(in + 1), _mm_loadu_si128(in + 2),
                    _mm_loadu_si128(in + 3)};
    // A unit is ASCII when only the low 7 bits of its value are set: the
    // first byte's of a little-endian one, the second's of a big-endian one.
    const __m128i beyond = _mm_set1_epi16(static_cast<short>(little ? 0xFF80 : 0x80FF));
    const __m128i zero = _mm_setzero_si128();
    const auto asciiMask = [&](__m128i a, __m128i b) {
        const __m128i ascii = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_and_si128(a, beyond), zero),
                                              _mm_cmpeq_epi16(_mm_and_si128(b, beyond), zero));
        return static_cast<unsigned>(_mm_movemask_epi8(ascii));
    };
    const __m128i all = _mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]));
    const bool allAscii =
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(all, beyond), zero)) == 0xFFFF;
    const auto count = allAscii ? static_cast<unsigned>(kAsciiRun)
                                : static_cast<unsigned>(std::countr_one(
                                      asciiMask(v[0], v[1]) | asciiMask(v[2], v[3]) << 16));
    if (!little)
        for (__m128i& x : v)
            x = _mm_srli_epi16(x, 8);
    auto* out = reinterpret_cast<__m128i*>(o);
    _mm_storeu_si128(out, _mm_packus_epi16(v[0], v[1]));
    _mm_storeu_si128(out + 1, _mm_packus_epi16(v[2], v[3]));
    return count;
}
#endif

} // namespace

TextSource::TextSource(ByteSource& raw)
    : raw_(raw)
    , rawBuf_(std::make_unique_for_overwrite<char[]>(kRawBlock)) {}

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
    if (rawEnd_ >= 2 && first[0] == 0xFF && first[1] == 0xFE) {
        encoding_ = Encoding::Utf16LittleEndian;
        rawPos_ = 2;
    } else if (rawEnd_ >= 2 && first[0] == 0xFE && first[1] == 0xFF) {
        encoding_ = Encoding::Utf16BigEndian;
        rawPos_ = 2;
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

// Decodes UTF-16 into `out` until fewer than 6 bytes of room are left or the
// input ends; returns how many bytes it wrote, 0 only at the end.
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
        for (const auto* const stop = p + 2 * units; p != stop;) {
            auto byHand = static_cast<std::size_t>(stop - p) / 2;
#if ZELMORA_TEXT_SSE2
            // Its 32 bytes fit: the room holds 3 for each unit left.
            if (high_ == 0 && byHand >= kAsciiRun) {
                const unsigned ascii = asciiUnits(p, o, little);
                o += ascii;
                p += 2 * ascii;
                if (ascii == kAsciiRun)
                    continue;
                // A letter beyond ASCII, perhaps the first of several.
                byHand = ascii == 0 ? 8 : 1;
            }
#endif
            for (const auto* const end = p + 2 * byHand; p != end; p += 2)
                o = decodeUnit(o, little ? char32_t{p[0]} | char32_t{p[1]} << 8
                                         : char32_t{p[0]} << 8 | char32_t{p[1]});
        }
    }
    return static_cast<std::size_t>(o - out);
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
        if (room >= kDirectRoom) {
            const std::size_t n = decode(buffer.data() + produced, room);
            if (n == 0)
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
