#pragma once

// What the file systems of a scanned range still say about data found by its content:
// for each sector where a carved file starts, the directory entry or MFT record whose
// data starts there. Built in one pass over each volume's entries, so looking a carved
// file up costs one hash lookup whatever the number of files.

#include "engine/tree/FileTime.h"
#include "fs/fat/FatVolume.h"
#include "fs/ntfs/NtfsVolume.h"

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

struct KnownEntry {
    std::u16string name;
    std::u16string folder; // display path of the folder that holds it; empty when unknown
    FileTime createTime;
    FileTime modifyTime;
    FileTime accessTime;
    std::uint64_t size = 0; // as the entry records it
    bool live = false;      // not deleted
};

class KnownEntryMap {
public:
    // starts: the scanned window's LBAs at which carved files start; entries elsewhere
    // are not kept.
    explicit KnownEntryMap(std::unordered_set<std::uint64_t> starts = {})
        : starts_(std::move(starts)) {}

    bool Wanted(std::uint64_t lba) const { return starts_.count(lba) != 0; }
    // Keeps entry for lba when wanted and better than the one held: a live entry over a
    // deleted one (its data is what the sectors hold now), then the later written.
    void Offer(std::uint64_t lba, KnownEntry entry);
    const KnownEntry* Find(std::uint64_t lba) const;
    std::size_t Size() const { return entries_.size(); }

private:
    std::unordered_set<std::uint64_t> starts_;
    std::unordered_map<std::uint64_t, KnownEntry> entries_;
};

// Offers every file entry of a FAT volume, deleted ones and those in deleted folders
// included (the tree walk's guards against loops and depth apply). lbaOffset turns the
// volume window's LBAs into the scanned window's; rootPath is the volume root's display
// path. False when the root could not be read.
bool AddFatEntries(FatVolume& volume, std::uint64_t lbaOffset, const std::u16string& rootPath,
                   KnownEntryMap& map);

// What one MFT record says, read from its bytes alone.
struct NtfsRecordEntry {
    bool inUse = false;
    bool directory = false;
    std::uint16_t sequence = 0;
    std::u16string name; // the $FILE_NAME with the lowest attribute id
    std::uint64_t parentReference = 0;
    FileTime createTime;
    FileTime modifyTime;
    FileTime accessTime;
    std::uint64_t size = 0;     // recorded size of the unnamed $DATA
    std::int64_t firstLcn = -1; // its first run's cluster; -1 when resident, sparse or none
};

// Parses a base record (fixups applied in place). False for anything that is not a base
// record with a name.
bool ReadNtfsRecordEntry(std::span<std::uint8_t> record, std::uint64_t bytesPerCluster,
                         NtfsRecordEntry* out);

// One pass over an NTFS volume's MFT, in steps of a bounded number of records. Folder
// paths are put together at the end from the folders' own records.
class NtfsEntryPass {
public:
    NtfsEntryPass(NtfsVolume& volume, std::uint64_t lbaOffset, std::u16string rootPath);
    // Reads up to `records` records; true when the pass is done.
    bool Step(KnownEntryMap& map, std::uint64_t records);

private:
    struct Folder {
        std::u16string name;
        std::uint64_t parentReference = 0;
        std::uint16_t sequence = 0;
        bool inUse = false;
    };
    struct Pending {
        std::uint64_t lba = 0;
        KnownEntry entry;
        std::uint64_t parentReference = 0;
    };
    void Take(std::uint64_t recordNumber, NtfsRecordEntry& record, const KnownEntryMap& map);
    // Folder names from the root down to the referenced folder; false when a link is
    // missing, its sequence does not match, or the chain loops.
    bool FolderPath(std::uint64_t parentReference, std::u16string* path) const;

    NtfsVolume& volume_;
    std::uint64_t lbaOffset_;
    std::u16string rootPath_;
    std::uint64_t next_ = 0;
    std::uint64_t records_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::unordered_map<std::uint64_t, Folder> folders_;
    std::vector<Pending> pending_;
};

} // namespace vantrel
