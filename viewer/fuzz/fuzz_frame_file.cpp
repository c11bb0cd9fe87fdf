// libFuzzer target: arbitrary bytes as a frame file. Reading it in one piece, through the
// file reader and in small pieces must all give the same frame.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "frame_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    SpectrumFrame whole, pieces, fromFile;
    std::memset(&whole, 0x5A, sizeof whole);
    std::memset(&pieces, 0x5A, sizeof pieces);
    std::memset(&fromFile, 0x5A, sizeof fromFile);

    SpectrumScanner one;
    one.feed(text, size, whole);
    one.finish(whole);

    // Piece lengths come from the data itself, so the fuzzer explores the cuts too.
    SpectrumScanner many;
    size_t at = 0;
    while (at < size && !many.done()) {
        const size_t piece = 1 + data[at] % 7;
        const size_t n = piece < size - at ? piece : size - at;
        many.feed(text + at, n, pieces);
        at += n;
    }
    many.finish(pieces);

    if (one.stored != many.stored || std::memcmp(&whole, &pieces, sizeof whole) != 0) __builtin_trap();

    if (size > 0) {
        FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        if (file != nullptr) {
            const int stored = readSpectrumStream(file, fromFile);
            std::fclose(file);
            if (stored != one.stored || std::memcmp(&whole, &fromFile, sizeof whole) != 0) __builtin_trap();
        }
    }
    return 0;
}
