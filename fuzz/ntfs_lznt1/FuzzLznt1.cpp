// LZNT1 streams into a whole 64 KiB unit and into a buffer shorter than one chunk.

#include "fs/ntfs/Lznt1.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> unit(64 * 1024);
    static std::vector<std::uint8_t> small(1000);
    const vantrel::Bytes input(data, size);
    vantrel::DecompressLznt1(input, unit);
    vantrel::DecompressLznt1(input, small);
    return 0;
}
