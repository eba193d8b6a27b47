// LZNT1 streams into a whole 64 KiB unit and into a buffer shorter than one chunk.

#include "fs/ntfs/Lznt1.h"

#include <cstdint>
#include <vector>

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> unit(64 * 1024);
    static std::vector<std::uint8_t> small(1000);
    const vantrel::Bytes input(data, size);
    static_cast<void>(vantrel::DecompressLznt1(input, unit));
    static_cast<void>(vantrel::DecompressLznt1(input, small));
    return 0;
}
