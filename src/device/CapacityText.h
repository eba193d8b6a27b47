#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// "1.4 MB", "20 MB", "1.8 TB": the capacity text of a drive row; "" when lastLba or
// sectorSize is 0.
std::string CapacityText(std::uint64_t lastLba, std::uint32_t sectorSize);

} // namespace vantrel
