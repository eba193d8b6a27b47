#include "device/BiosDisk.h"

#include <cstring>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint32_t kHeads = 2; // every supported format is double sided

BiosRegisters DriveRegisters(int drive, std::uint8_t function) {
    BiosRegisters r;
    r.eax = static_cast<std::uint32_t>(function) << 8;
    r.edx = static_cast<std::uint32_t>(drive);
    return r;
}

} // namespace

CBiosDisk::CBiosDisk() : CBiosDisk(MakeLinuxFloppyBios()) {}

CBiosDisk::CBiosDisk(std::unique_ptr<FloppyBios> bios) : bios_(std::move(bios)) {}

CBiosDisk::~CBiosDisk() {
    Close();
}

void CBiosDisk::Close() {
    biosDrive_ = -1;
    sectorsPerTrack_ = 0;
    kind_ = kDriveUnknown;
    ResetFields();
}

bool CBiosDisk::Open(int biosDrive) {
    Close();
    if (!bios_ || biosDrive < 0 || biosDrive > 1)
        return false;
    std::array<std::uint8_t, kDeviceParameterBlockSize> block{};
    if (!bios_->GetDeviceParameters(biosDrive, block))
        return false;
    switch (block[1]) { // device type
    case 2:
    case 7:
        CopyPadded(identity_.product, "FLOPPY DISK     ");
        kind_ = kDriveFloppy;
        identity_.removable = 1;
        break;
    case 5:
        CopyPadded(identity_.product, "HARD DISK       ");
        kind_ = kDriveHardDisk;
        break;
    default:
        return false;
    }
    biosDrive_ = biosDrive;
    driveLetters_ = 1u << biosDrive;
    return true;
}

std::int32_t CBiosDisk::GetAccessMethod() const {
    return kAccessBios;
}

std::int32_t CBiosDisk::GetDriveKind() {
    return kind_;
}

std::string CBiosDisk::DeviceNode() const {
    return bios_ && biosDrive_ >= 0 ? bios_->DriveNode(biosDrive_) : std::string();
}

bool CBiosDisk::Reset() {
    BiosRegisters r = DriveRegisters(biosDrive_, kInt13Reset);
    bios_->Int13(r, {});
    return !r.Carry();
}

bool CBiosDisk::SetMediaType(std::uint32_t tracks, std::uint32_t sectorsPerTrack) {
    BiosRegisters r = DriveRegisters(biosDrive_, kInt13SetMediaType);
    const std::uint32_t lastTrack = tracks - 1;
    // CH: low 8 bits of the last track; CL: its bits 8-9 in bits 6-7, sectors in 0-5.
    r.ecx =
        ((lastTrack & 0xFFu) << 8) | (((lastTrack >> 8) << 6) & 0xC0u) | (sectorsPerTrack & 0x3Fu);
    bios_->Int13(r, {});
    if (r.Carry())
        return false;
    sectorsPerTrack_ = static_cast<std::uint8_t>(sectorsPerTrack);
    return true;
}

bool CBiosDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    if (biosDrive_ < 0)
        return false;
    lastLba_ = 2879;
    sectorSize_ = kSectorBytes;
    std::vector<std::uint8_t> sector(kSectorBytes);
    bool found = false;
    if (!SetMediaType(80, 18)) {
        lastLba_ = 0;
        return false;
    }
    if (ReadSectors(2879, 1, sector.data(), kSectorBytes)) {
        found = true; // 1.44 MB
    } else {
        lastLba_ = 1439;
        found = SetMediaType(80, 9) && ReadSectors(1439, 1, sector.data(), kSectorBytes);
    }
    if (!found) {
        lastLba_ = 0;
        return false;
    }
    if (lastLba)
        *lastLba = lastLba_;
    if (sectorSize)
        *sectorSize = sectorSize_;
    return true;
}

bool CBiosDisk::WalkTracks(std::uint8_t function, std::uint64_t lba, std::uint32_t count,
                           std::uint8_t* data, std::uint32_t bufferSize) {
    if (biosDrive_ < 0 || !data || sectorsPerTrack_ == 0 || lba > lastLba_ ||
        count > lastLba_ - lba + 1 || bufferSize < static_cast<std::uint64_t>(count) * kSectorBytes)
        return false;
    const std::uint32_t spt = sectorsPerTrack_;
    std::vector<std::uint8_t> track(static_cast<std::size_t>(spt) * kSectorBytes);
    while (count > 0) {
        const auto cylinder = static_cast<std::uint32_t>(lba / (spt * kHeads));
        const auto head = static_cast<std::uint32_t>((lba / spt) & 1u);
        const auto inTrack = static_cast<std::uint32_t>(lba % spt);
        const std::uint32_t n = count < spt - inTrack ? count : spt - inTrack;
        const std::size_t bytes = static_cast<std::size_t>(n) * kSectorBytes;
        if (function == kInt13Write)
            std::memcpy(track.data(), data, bytes);
        bool done = false;
        for (int attempt = 0; attempt < 2 && !done; ++attempt) {
            if (attempt == 1 && !Reset())
                break;
            BiosRegisters r = DriveRegisters(biosDrive_, function);
            r.eax |= n; // AL: sector count
            r.ecx = ((cylinder & 0xFFu) << 8) | (inTrack + 1) | ((cylinder >> 2) & 0xC0u);
            r.edx |= head << 8;
            bios_->Int13(r, track);
            done = !r.Carry();
        }
        if (!done)
            return false;
        if (function == kInt13Read)
            std::memcpy(data, track.data(), bytes);
        data += bytes;
        lba += n;
        count -= n;
    }
    return true;
}

bool CBiosDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                            std::uint32_t bufferSize) {
    return WalkTracks(kInt13Read, lba, count, static_cast<std::uint8_t*>(buffer), bufferSize);
}

bool CBiosDisk::WriteSectors(std::uint64_t lba, std::uint32_t count, const void* buffer,
                             std::uint32_t bufferSize) {
    // The walk copies out of data before each call and never into it for a write.
    return WalkTracks(kInt13Write, lba, count,
                      const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(buffer)),
                      bufferSize);
}

} // namespace vantrel
