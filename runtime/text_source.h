#pragma once

#include "runtime/byte_source.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace zelmora {

// The bytes of a text file as the readers that look for line ends byte by
// byte can take them: UTF-16 turned into UTF-8.
//
// A file that begins with a UTF-16 byte-order mark (FF FE little-endian,
// FE FF big-endian), as Windows' Notepad saves "Unicode" and Windows
// PowerShell writes with `>` and `Out-File`, is handed on as UTF-8, the mark
// as UTF-8's (EF BB BF), block by block with memory that does not grow with
// the file: a surrogate pair or a code unit split between two reads is joined, and a
// lone surrogate or an odd last byte becomes U+FFFD.
//
// Any other file is handed on as it stands, except that three NUL bytes two
// apart (at every other place, as they are in UTF-16 text in Latin letters)
// raise error 321 (kBadFileFormat) with the cause PartlyUtf16, naming the
// file: part of it was saved as UTF-16 without a mark (PowerShell's `>>`
// appends so to any file), and reading it as bytes would pass garbage off as
// phrases. A stray NUL byte is handed on like any other.
class TextSource final : public ByteSource {
public:
    // How UTF-16 is decoded: unit by unit, or with the vector code of the
    // processor (on x86-64: SSE2, or AVX2 or AVX-512 where the processor
    // has it) for runs below U+0800. Fastest is the best this processor
    // runs; tests try each that runs() here, the others decode unit by unit.
    enum class Decoder { Fastest, Portable, Sse2, Avx2, Avx512 };
    static bool runs(Decoder decoder);

    explicit TextSource(ByteSource& raw, Decoder decoder = Decoder::Fastest);
    ~TextSource() override;

    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    std::size_t read(std::span<char> buffer) override;
    void rewind() override;
    std::string name() const override { return raw_.name(); }

    // How the file was found to be written, once the first read has looked.
    enum class Encoding { NotYetRead, Bytes, Utf16LittleEndian, Utf16BigEndian };
    Encoding encoding() const { return encoding_; }

private:
    void start();
    bool fillRaw();
    std::size_t decode(char* out, std::size_t room);
    std::size_t decodeInPlace(char* out, std::size_t room);
    char* decodeUnits(const unsigned char* p, const unsigned char* stop, char* o, bool little);
    char* decodeUnit(char* o, char32_t unit);
    std::size_t drainSpill(std::span<char> buffer);
    void refuseUtf16(const char* bytes, std::size_t size);

    ByteSource& raw_;
    Encoding encoding_ = Encoding::NotYetRead;
    // Raw bytes not yet handed on or decoded: [rawPos_, rawEnd_) of raw_buf_.
    std::unique_ptr<char[]> rawBuf_;
    std::size_t rawPos_ = 0;
    std::size_t rawEnd_ = 0;
    bool rawDone_ = false;
    // Which of the last few bytes handed on were NUL.
    unsigned nulHistory_ = 0;
    // The first half of a surrogate pair whose second half is still to come.
    char16_t high_ = 0;
    // The vector path, if any: decodes from `p` to at most `stop` into `o`.
    void (*fast_)(const unsigned char*& p, const unsigned char* stop, char*& o,
                  bool little) = nullptr;
    // Decoded bytes for a buffer too small to decode into: [spillPos_, spillEnd_).
    char spill_[16] = {};
    std::size_t spillPos_ = 0;
    std::size_t spillEnd_ = 0;
};

} // namespace zelmora
