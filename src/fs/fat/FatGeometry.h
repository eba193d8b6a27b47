#pragma once

// Where a FAT volume keeps its FATs, root directory and clusters, and how a FAT entry is
// decoded. Sector numbers are in the volume's bytesPerSector units and include the
// record's hiddenSectors, so they are window LBAs once the owner has set hiddenSectors to
// the boot sector's LBA. Arithmetic is 64-bit so a corrupt record cannot wrap a sum.

#include "fs/fat/FatBootRecord.h"

#include <cstdint>

namespace vantrel {

std::uint32_t RootDirSectors(const FatBootRecord& record);
// fatSize16 when non-zero, else fatSize32.
std::uint32_t FatSize(const FatBootRecord& record);
// totalSectors16 when non-zero, else totalSectors32.
std::uint32_t TotalSectors(const FatBootRecord& record);
std::uint64_t FirstDataSector(const FatBootRecord& record);
// Number of data clusters plus 2, that is one past the highest valid cluster number.
// 0 when sectorsPerCluster is 0 or the data area would start past the volume's end.
std::uint32_t ClusterLimit(const FatBootRecord& record);
// FAT12 below 4085 clusters, FAT16 below 65525, else FAT32; kFatNone for a limit of 0.
FatType FatTypeOf(std::uint32_t clusterLimit);

// 0 for clusters 0 and 1, which have no data.
std::uint64_t FirstSectorOfCluster(const FatBootRecord& record, std::uint32_t cluster);
std::uint64_t RootDirFirstSector(const FatBootRecord& record);
// Byte offset of a cluster's entry from the start of the FAT.
std::uint64_t FatEntryOffset(const FatBootRecord& record, std::uint32_t cluster);
// Sector of the first FAT that holds the start of the cluster's entry.
std::uint64_t FatSectorOfCluster(const FatBootRecord& record, std::uint32_t cluster);

// Decodes the entry of cluster from buffer, which holds FatSectorOfCluster(cluster)
// followed by the next FAT sector (a FAT12 entry may straddle the two). False when the
// entry's bytes are not all inside the buffer or bytesPerSector is 0.
[[nodiscard]] bool ReadFatEntry(const FatBootRecord& record, std::uint32_t cluster, Bytes buffer,
                                std::uint32_t* value);

std::uint32_t MaskClusterValue(const FatBootRecord& record, std::uint32_t value);
// Values at or above this end a chain.
std::uint32_t EndOfChainValue(const FatBootRecord& record);
std::uint32_t BadClusterValue(const FatBootRecord& record);

} // namespace vantrel
