#pragma once

// Turning partition tables and boot sectors into nodes: the children of a device or
// logical-drive window, of a partition, and a table rebuilt from boot sectors when
// sector 0 holds none. Failures never abort a walk: a node gets the children found.

#include "device/PartitionRecord.h"
#include "engine/partition/DriveNode.h"
#include "engine/partition/PartitionNode.h"

#include <cstdint>
#include <memory>

namespace vantrel {

// Logical drives followed in one extended chain at most. A chain that leads back to a
// record already visited also ends.
inline constexpr std::size_t kMaxLogicalDrives = 128;

// Children of a whole device (up to 4 table entries, or every used GPT entry) or a
// logical drive (its one entry): the "スキャン結果" area, then a volume in sector 0 or
// the accepted partitions.
void ExpandWindow(DriveNode& node);
// Children of a partition: its "スキャン結果" area, then its volume or the logical
// drives of its extended chain.
void ExpandPartition(PartitionNode& node);
// A partition node for entry, or null when it does not start inside the window. One that
// runs past the window's end is clipped to it (MissingSectors tells by how much).
std::unique_ptr<PartitionNode> AcceptPartition(CDiskWindow& window, const PartitionEntry& entry);
// Logs on parent that partition was clipped, when it was.
void NoteClipped(ResultNode& parent, const PartitionNode& partition);
// Searches the window's first sectors for FAT and NTFS boot sectors and fills up to four
// entries from them. False only when the window's capacity is unusable.
bool RebuildPartitionTable(CDiskWindow& window, PartitionTable* table);

// A boot sector found by searching: where, of which table type, how many sectors.
struct FoundVolume {
    std::uint64_t lba = 0;
    std::uint32_t type = 0; // 0x07 NTFS; 0x01, 0x06, 0x0C by FAT kind
    std::uint64_t sectorCount = 0;
};
// Searches from `from` as the rebuild does: 256 sectors, then every 1 MiB-aligned sector
// up to 64 MiB further (where partitioning tools since about 2007 start volumes). A FAT32
// backup boot sector whose primary is gone is taken for the volume 6 sectors before it.
bool SearchVolumeStart(CDiskWindow& window, std::uint64_t from, FoundVolume* found);

} // namespace vantrel
