#include "device/ewf/EwfSignature.h"

#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <array>

namespace vantrel {

bool HasEwfSignature(std::span<const std::uint8_t> firstBytes) {
    static constexpr std::array<std::uint8_t, kEwfSignatureBytes> kSignature = {
        'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
    return firstBytes.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), firstBytes.begin());
}

bool IsEwfImageFile(const std::string& path) {
    ReadOnlyFile file;
    std::array<std::uint8_t, kEwfSignatureBytes> head{};
    return file.Open(path) && file.IsRegularFile() && file.ReadAt(0, head.data(), head.size()) &&
           HasEwfSignature(head);
}

} // namespace vantrel
