#pragma once

// Attaches an image file to a free loop device (root only) and always detaches it again,
// even when the test fails.

#include <cstdint>
#include <filesystem>
#include <string>

namespace vantrel::testing {

class LoopDevice {
public:
    // sectorSize 0 keeps the kernel's default of 512.
    explicit LoopDevice(const std::filesystem::path& image, std::uint32_t sectorSize = 0);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    // "/dev/loopN", or empty when losetup could not attach the image.
    const std::string& Node() const { return node_; }

private:
    std::string node_;
};

} // namespace vantrel::testing
