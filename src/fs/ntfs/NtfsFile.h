#pragma once

// One file of an NTFS volume as the result tree shows and reads it: the record's name,
// size and times, and its data ($DATA) read back whatever its form. Resident data comes
// from the record, sparse ranges read as zeros, compressed units are decompressed; only
// plain runs can also be read sector by sector through Extents().

#include "fs/ntfs/MftRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

class NtfsVolume;

class NtfsFile {
public:
    NtfsFile() = default;
    // The data attribute is a pointer into the record: a copy would point into another.
    NtfsFile(const NtfsFile&) = delete;
    NtfsFile& operator=(const NtfsFile&) = delete;
    NtfsFile(NtfsFile&&) = default;
    NtfsFile& operator=(NtfsFile&&) = default;

    // Loads record n; fails unless it has a non-empty name, a 48-byte
    // $STANDARD_INFORMATION and a $DATA attribute.
    [[nodiscard]] bool Open(NtfsVolume& volume, std::uint64_t recordNumber);
    // The same for a record found by a raw scan at window LBA lba.
    [[nodiscard]] bool OpenAt(NtfsVolume& volume, std::uint64_t lba);

    const MftRecord& Record() const { return record_; }
    std::uint64_t RecordNumber() const { return record_.RecordNumber(); }
    bool InUse() const { return record_.InUse(); }
    const std::u16string& Name() const { return name_; }
    std::uint64_t Size() const { return data_ ? data_->size : 0; }
    const NtfsFileTimes& Times() const { return times_; }
    bool IsResident() const { return data_ && data_->IsResident(); }
    const std::vector<std::uint8_t>& ResidentData() const;
    // The data's sectors (sparse ones with kSparseLba). For compressed data these hold
    // the stored units, not the file's bytes: read those through Read.
    const std::vector<NtfsExtent>& Extents() const;
    bool IsCompressed() const { return data_ && data_->IsCompressed(); }

    [[nodiscard]] bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* buffer);

private:
    bool Take();

    MftRecord record_;
    const NtfsAttribute* data_ = nullptr;
    std::u16string name_;
    NtfsFileTimes times_;
};

} // namespace vantrel
