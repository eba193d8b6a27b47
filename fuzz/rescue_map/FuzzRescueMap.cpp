// Rescue map files come from the user's disk next to the image: any text must either
// parse into ordered blocks or be refused with a line number. A parsed map must count
// unread sectors within the range asked, and what we write must read back the same.

#include "device/RescueMap.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RescueMap map;
    RescueMapProblem problem;
    if (!RescueMap::Parse(text, &map, &problem)) {
        if (problem.reason.empty())
            __builtin_trap();
        return 0;
    }
    std::uint64_t end = 0;
    for (const RescueBlock& block : map.Blocks()) {
        if (block.size == 0 || (end != 0 && block.pos != end))
            __builtin_trap();
        end = block.pos + block.size;
    }
    const RescueMap copy = map;
    RescueMap back;
    if (!RescueMap::Parse(FormatRescueMap(map.Blocks(), map.CurrentPos(), map.CurrentStatus(), ""),
                          &back, &problem) ||
        back.Blocks().size() != map.Blocks().size())
        __builtin_trap();
    for (const std::uint32_t sectorSize : {512u, 4096u}) {
        for (const std::uint64_t lba :
             {std::uint64_t{0}, map.End() / sectorSize, ~std::uint64_t{0} - 3}) {
            if (map.UnreadSectorsIn(lba, 64, sectorSize) > 64)
                __builtin_trap();
        }
    }
    map.ClipTo(map.End() / 2);
    if (map.End() > copy.End() / 2)
        __builtin_trap();
    return 0;
}
