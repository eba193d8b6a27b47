#pragma once

// SHA-256 (FIPS 180-4), fed in pieces as a file is written, for the manifest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

class Sha256 {
public:
    Sha256() { Reset(); }
    void Reset();
    void Update(const void* data, std::size_t size);
    std::array<std::uint8_t, 32> Finish(); // the object must be Reset before reuse
    // Lower-case hexadecimal of Finish().
    std::string FinishHex();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t totalBytes_ = 0;
};

} // namespace vantrel
