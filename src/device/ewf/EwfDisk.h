#pragma once

// An Expert Witness (E01) image, one file or split into E01, E02, ..., read through
// libewf. The media size and sector size are the ones stored in the image; chunks whose
// checksum does not match and the sectors the acquisition could not read fail to read,
// like bad sectors of a disk.

#include "device/DiskDevice.h"

#include <string>
#include <utility>
#include <vector>

namespace vantrel {

class CEwfDisk : public CDiskDevice {
public:
    CEwfDisk();
    ~CEwfDisk() override;

    // Opens every segment of the image whose first segment is path. False with a message
    // (naming the segment at fault where there is one) in *problem.
    [[nodiscard]] bool Open(const std::string& path, std::string* problem);
    void Close();

    const std::vector<std::string>& Segments() const { return segments_; }
    // "EnCase 6" and the like.
    std::string FormatName() const;
    // The case metadata present in the image, labelled in Japanese, in a fixed order:
    // case number, evidence number, description, examiner, notes, acquisition date, MD5,
    // SHA-1.
    std::vector<std::pair<std::string, std::string>> Metadata() const;
    // Sectors the acquisition could not read, as (first sector, count).
    const std::vector<std::pair<std::uint64_t, std::uint64_t>>& AcquiryErrors() const {
        return acquiryErrors_;
    }

    std::int32_t GetAccessMethod() const override { return kAccessHandle; }
    std::int32_t GetDriveKind() override;
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize) override;
    std::string DeviceNode() const override { return path_; }

private:
    bool InAcquiryError(std::uint64_t lba, std::uint32_t count) const;

    void* handle_ = nullptr; // libewf_handle_t
    std::string path_;
    std::vector<std::string> segments_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> acquiryErrors_;
    std::uint64_t mediaBytes_ = 0;
    std::uint32_t bytesPerSector_ = 512;
    std::uint8_t mediaType_ = 0;
};

} // namespace vantrel
