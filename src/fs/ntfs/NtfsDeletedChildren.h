#pragma once

// Deleted files and folders of every folder of a volume: the MFT records that are not in
// use, by the folder each of their names points to. An index no longer lists them, so
// they are found in one pass over the MFT, made once per volume when first asked for.

#include "platform/ByteReader.h"

#include <cstdint>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

namespace vantrel {

class NtfsVolume;

struct NtfsDeletedChild {
    std::uint64_t recordNumber = 0;
    // The sequence number the name's parent reference carries: it tells the folder that
    // held the file from a later folder in the same record.
    std::uint16_t parentSequence = 0;
};

// The parent references (record and sequence, as stored) of the names of one record, when
// the record is a base record that is not in use; false for anything else. Fixups are
// applied to record in place.
[[nodiscard]] bool DeletedRecordParents(std::span<std::uint8_t> record,
                                        std::uint64_t bytesPerCluster,
                                        std::vector<std::uint64_t>* parentReferences);

// The sequence number a record gets when it is freed: one more, 0xFFFF wrapping to 1.
std::uint16_t SequenceAfterFree(std::uint16_t sequence);

class NtfsDeletedChildren {
public:
    // The deleted children of folderRecord, in record order; the first call reads the MFT
    // (the records its own run list maps; nothing without a map).
    std::vector<NtfsDeletedChild> Of(NtfsVolume& volume, std::uint64_t folderRecord);

private:
    void Build(NtfsVolume& volume);

    std::mutex mutex_;
    bool built_ = false;
    std::unordered_map<std::uint64_t, std::vector<NtfsDeletedChild>> children_;
};

} // namespace vantrel
