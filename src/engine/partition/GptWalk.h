#pragma once

// The partitions of a disk with a GUID partition table: the header at LBA 1 with its
// entry array, or the backup header (at the last LBA) when the primary is damaged.

#include "device/DiskWindow.h"
#include "engine/partition/DriveNode.h"

namespace vantrel {

// Adds one partition node per used entry, in entry order, named by what its first sector
// holds. False, adding nothing, when neither header with its array checks out.
bool AddGptPartitions(DriveNode& node, CDiskWindow& window);

} // namespace vantrel
