#pragma once

// Listing a folder through its directory index: the entries of $INDEX_ROOT and of the
// index blocks in $INDEX_ALLOCATION they lead to. Each referenced record is loaded to
// tell folders from files and to take its name, size and times.

#include "fs/ntfs/MftRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class NtfsVolume;

struct NtfsDirectoryEntry {
    std::uint64_t recordNumber = 0;
    std::uint16_t sequenceNumber = 0; // of the record as loaded
    bool isFolder = false;
    bool inUse = true;      // the record's in-use flag
    std::u16string name;    // the record's name (lowest-id $FILE_NAME)
    std::uint64_t size = 0; // files: the size of their data
    NtfsFileTimes times;    // from $STANDARD_INFORMATION
    std::uint32_t fileAttributes = 0;
};

// Lists the folder whose record is folderRecord. Every record is taken once (the index
// may name a record twice, e.g. under its DOS and Win32 names), every index block is
// read once, and the tree depth is bounded, so looping or self-referring indexes end.
// The folder itself and "." are not listed. A referenced record that does not load, or a
// file without a name, a 48-byte $STANDARD_INFORMATION or $DATA, is left out. False when
// the folder's record does not load, or its $INDEX_ROOT ($I30 when there is one) is
// missing, not resident, shorter than its headers or not an index of file names.
[[nodiscard]] bool ListNtfsDirectory(NtfsVolume& volume, std::uint64_t folderRecord,
                                     std::vector<NtfsDirectoryEntry>* out);
// The same walk handing each entry to visit, in index order, with its loaded record, so
// that a caller building its own items does not load every record again.
using NtfsDirectoryVisitor = std::function<void(const NtfsDirectoryEntry&, const MftRecord&)>;
[[nodiscard]] bool WalkNtfsDirectory(NtfsVolume& volume, std::uint64_t folderRecord,
                                     const NtfsDirectoryVisitor& visit);

// True when the record is a folder: it has an $INDEX_ROOT ($I30 when there is one) that
// does not declare an index of something other than file names. $Secure, $ObjId and
// $Quota hold indexes of descriptors and ids: they are files, not folders. A root too
// damaged to read its header still makes a folder, so that its entry is not lost.
bool IsNtfsFolder(const MftRecord& record);

// The size of one index block and the bytes per index VCN for a folder: the root header's
// block size when usable (else 4096); VCNs count clusters, or 512-byte units when a block
// is smaller than a cluster.
struct IndexBlockGeometry {
    std::uint32_t blockSize = 4096;
    std::uint32_t vcnBytes = 4096;
};
IndexBlockGeometry IndexGeometry(std::uint32_t rootBlockSize, std::uint32_t bytesPerCluster);

} // namespace vantrel
