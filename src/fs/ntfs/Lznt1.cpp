#include "fs/ntfs/Lznt1.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

using Chunk = std::array<std::uint8_t, kLznt1ChunkSize>;

// One compressed chunk body into chunk; the count of bytes produced, or -1 when corrupt.
long DecompressChunk(Bytes body, Chunk& chunk) {
    std::size_t in = 0;
    std::size_t out = 0;
    while (in < body.size()) {
        const std::uint8_t flags = body[in++];
        for (int bit = 0; bit < 8 && in < body.size(); ++bit) {
            if (((flags >> bit) & 1) == 0) {
                if (out >= chunk.size())
                    return -1;
                chunk[out++] = body[in++];
                continue;
            }
            if (in + 2 > body.size() || out == 0)
                return -1;
            const std::uint16_t token = static_cast<std::uint16_t>(body[in] | body[in + 1] << 8);
            in += 2;
            // The further into the chunk, the more bits the offset takes: enough to reach
            // back to the chunk's start, at least 4.
            std::uint16_t lengthMask = 0x0FFF;
            unsigned offsetShift = 12;
            for (std::size_t i = out - 1; i >= 0x10; i >>= 1) {
                lengthMask = static_cast<std::uint16_t>(lengthMask >> 1);
                --offsetShift;
            }
            const std::size_t length = static_cast<std::size_t>(token & lengthMask) + 3;
            const std::size_t back = static_cast<std::size_t>(token >> offsetShift) + 1;
            if (back > out || length > chunk.size() - out)
                return -1;
            // Byte by byte: the source may overlap what is being written (runs).
            for (std::size_t k = 0; k < length; ++k, ++out)
                chunk[out] = chunk[out - back];
        }
    }
    return static_cast<long>(out);
}

} // namespace

bool DecompressLznt1(Bytes input, std::span<std::uint8_t> output) {
    std::fill(output.begin(), output.end(), std::uint8_t{0});
    const ByteReader r(input);
    std::size_t in = 0;
    std::size_t out = 0;
    Chunk chunk;
    while (out < output.size() && r.Has(in, 2)) {
        const std::uint16_t header = r.U16(in);
        if (header == 0)
            break;
        const std::size_t bodySize = static_cast<std::size_t>(header & 0x0FFF) + 1;
        if (!r.Has(in + 2, bodySize))
            return false;
        const Bytes body = input.subspan(in + 2, bodySize);
        in += 2 + bodySize;
        std::size_t produced = 0;
        if ((header & 0x8000) != 0) {
            const long n = DecompressChunk(body, chunk);
            if (n < 0)
                return false;
            produced = static_cast<std::size_t>(n);
        } else {
            // bodySize is at most 4096 by the 12-bit field.
            std::copy(body.begin(), body.end(), chunk.begin());
            produced = body.size();
        }
        const std::size_t room = std::min(kLznt1ChunkSize, output.size() - out);
        std::copy_n(chunk.begin(), std::min(produced, room),
                    output.begin() + static_cast<std::ptrdiff_t>(out));
        // A short chunk still stands for 4096 bytes; the rest is already zero.
        out += room;
    }
    return true;
}

} // namespace vantrel
