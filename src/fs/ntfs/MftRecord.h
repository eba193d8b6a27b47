#pragma once

// One MFT record loaded through a volume: the header after the update sequence has been
// applied, the attributes in record order, and the reads of their data, names and times.
// A base record with an $ATTRIBUTE_LIST also takes the attributes of its extension
// records, and the pieces of a split non-resident attribute become one attribute.
// A record that is not in use loads like any other, so deleted files keep their names,
// times and runs.

#include "fs/ntfs/NtfsAttribute.h"
#include "fs/ntfs/NtfsFileName.h"
#include "fs/ntfs/NtfsFixups.h"
#include "fs/ntfs/NtfsRecordHeader.h"
#include "fs/ntfs/NtfsStandardInformation.h"
#include "fs/ntfs/NtfsTime.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class NtfsVolume;

// FindAttribute ids: below 0 selects the lowest attribute id, above 4095 the highest.
inline constexpr int kLowestAttributeId = -1;
inline constexpr int kHighestAttributeId = 4096;

// Seconds since 1970 (UTC); nullopt when the stamp is not a time.
struct NtfsFileTimes {
    std::optional<std::int64_t> creation;
    std::optional<std::int64_t> modification;
    std::optional<std::int64_t> access;
};

// Applies the fixups to record in place and loads its header and attributes. False when
// the record is not "FILE" or its update sequence array does not fit; an attribute that
// does not load is skipped. Fixup mismatches (torn writes) are counted, not refused.
[[nodiscard]] bool ParseMftRecord(std::span<std::uint8_t> record, std::uint64_t bytesPerCluster,
                                  MftRecordHeader* header, std::vector<NtfsAttribute>* attributes,
                                  FixupResult* fixups);

class MftRecord {
public:
    [[nodiscard]] bool Load(NtfsVolume& volume, std::uint64_t recordNumber);
    // For records found by a raw scan: bytes as read from the disk (RecordSize long, or a
    // whole sector run); the volume supplies the geometry and later data reads.
    [[nodiscard]] bool LoadFromBytes(NtfsVolume& volume, std::uint64_t recordNumber,
                                     std::vector<std::uint8_t> bytes);
    // The record that a raw scan found starting at window LBA lba, numbered by the MFT
    // map (RecordNumberAtLba).
    [[nodiscard]] bool LoadFromLba(NtfsVolume& volume, std::uint64_t lba);

    bool IsLoaded() const { return volume_ != nullptr; }
    const MftRecordHeader& Header() const { return header_; }
    std::uint64_t RecordNumber() const { return recordNumber_; }
    bool InUse() const { return header_.InUse(); }
    bool IsDirectory() const { return header_.IsDirectory(); }
    const FixupResult& Fixups() const { return fixups_; }
    const std::vector<NtfsAttribute>& Attributes() const { return attributes_; }

    // Among attributes of type: id < 0 the lowest attributeId, id > 4095 the highest,
    // otherwise exactly id. Null when none.
    const NtfsAttribute* FindAttribute(std::uint32_t type, int id) const;
    // The file's data: the unnamed $DATA with the lowest id, else the lowest $DATA.
    const NtfsAttribute* DataAttribute() const;

    // Copies length bytes at offset of the attribute's data into buffer. Sparse ranges
    // read as zeros and compressed units are decompressed. False when the range passes
    // the attribute's size, a read fails or a compressed unit is corrupt.
    [[nodiscard]] bool ReadAttributeData(const NtfsAttribute& attribute, std::uint64_t offset,
                                         std::size_t length, std::uint8_t* buffer);

    // The name of the $FILE_NAME with the lowest attribute id, whatever its namespace.
    std::u16string FileName() const;
    bool FileNameOf(FileNameValue* out) const;
    // The lowest-id $STANDARD_INFORMATION, when its value holds 48 bytes.
    bool StandardInformation(StandardInformationValue* out) const;
    // Creation, modification and access times from $STANDARD_INFORMATION.
    NtfsFileTimes Times() const;

private:
    void FollowAttributeList(NtfsVolume& volume);
    void MergePieces(std::uint64_t bytesPerCluster);
    [[nodiscard]] bool ReadCompressed(const NtfsAttribute& attribute, std::uint64_t offset,
                                      std::span<std::uint8_t> out);
    [[nodiscard]] bool LoadUnit(const NtfsAttribute& attribute, std::uint64_t unit);

    NtfsVolume* volume_ = nullptr;
    std::uint64_t recordNumber_ = 0;
    MftRecordHeader header_;
    FixupResult fixups_;
    std::vector<NtfsAttribute> attributes_;
    // The last decompressed unit: readers go through a file in small steps.
    const NtfsAttribute* unitAttribute_ = nullptr;
    std::uint64_t unitIndex_ = 0;
    std::vector<std::uint8_t> unitData_;
};

} // namespace vantrel
