#include "device/ewf/EwfSignature.h"

#include <algorithm>
#include <array>

namespace vantrel {

bool HasEwfSignature(std::span<const std::uint8_t> firstBytes) {
    static constexpr std::array<std::uint8_t, kEwfSignatureBytes> kSignature = {
        'E', 'V', 'F', 0x09, 0x0D, 0x0A, 0xFF, 0x00};
    return firstBytes.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), firstBytes.begin());
}

} // namespace vantrel
