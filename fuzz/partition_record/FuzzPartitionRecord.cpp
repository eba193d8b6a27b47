// Master and extended boot record parsing: any sector parses without reading outside it,
// and an entry written back into a sector parses to the same values.

#include "device/PartitionRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace vantrel;

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, size);
    PartitionTable table;
    const bool parsed = ParsePartitionTable(input, &table);
    if (parsed != (size >= 512))
        std::abort();
    IsPartitionTable(input, static_cast<std::uint32_t>(size));
    if (!parsed)
        return 0;
    std::vector<std::uint8_t> sector(512, 0);
    for (std::size_t k = 0; k < 4; ++k) {
        const PartitionEntry& entry = table.entries[k];
        if (PartitionKindText(entry.type)[0] == '\0')
            std::abort();
        PutPartitionEntry(sector, k, entry);
        PartitionEntry again;
        static_cast<void>(ParsePartitionEntry(
            Bytes(sector).subspan(kPartitionSlotOffset + k * kPartitionSlotSize), &again));
        if (again.type != entry.type || again.startLba != entry.startLba ||
            again.sectorCount != entry.sectorCount || again.bootIndicator != entry.bootIndicator ||
            again.startChs.cylinder != entry.startChs.cylinder ||
            again.endChs.sector != entry.endChs.sector || again.endChs.head != entry.endChs.head)
            std::abort();
    }
    return 0;
}
