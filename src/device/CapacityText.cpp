#include "device/CapacityText.h"

namespace vantrel {

std::string CapacityText(std::uint64_t lastLba, std::uint32_t sectorSize) {
    if (lastLba == 0 || sectorSize == 0)
        return {};
    const std::uint64_t sectors = lastLba + 1;
    // Sectors per MiB; sectors larger than 1 MiB count as one MiB each.
    std::uint64_t perMib = 1048576u / sectorSize;
    if (perMib == 0)
        perMib = 1;
    const std::uint64_t mib = sectors / perMib;
    const std::uint64_t mibTenths = (sectors % perMib) * 10 / perMib;
    const std::uint64_t gib = mib / 1024;
    const std::uint64_t gibTenths = (mib % 1024) * 10 / 1024;
    const std::uint64_t tib = gib / 1024;
    const std::uint64_t tibTenths = (gib % 1024) * 10 / 1024;
    std::uint64_t whole = mib, tenths = mibTenths;
    const char* unit = " MB";
    if (tib != 0) {
        whole = tib;
        tenths = tibTenths;
        unit = " TB";
    } else if (gib != 0) {
        whole = gib;
        tenths = gibTenths;
        unit = " GB";
    }
    std::string text = std::to_string(whole);
    if (whole < 10)
        text += "." + std::to_string(tenths);
    return text + unit;
}

} // namespace vantrel
