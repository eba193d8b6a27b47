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

// Children of a whole device (up to 4 table entries) or a logical drive (entry 0): the
// "スキャン結果" area, then a volume in sector 0 or the accepted partitions.
void ExpandWindow(DriveNode& node);
// Children of a partition: its "スキャン結果" area, then its volume or the logical
// drives of its extended chain.
void ExpandPartition(PartitionNode& node);
// A partition node for entry, or null when it does not fit inside the window.
std::unique_ptr<PartitionNode> AcceptPartition(CDiskWindow& window, const PartitionEntry& entry);
// Searches the window's first sectors for FAT and NTFS boot sectors and fills up to four
// entries from them. False only when the window's capacity is unusable.
bool RebuildPartitionTable(CDiskWindow& window, PartitionTable* table);

} // namespace vantrel
