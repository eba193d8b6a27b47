#include "device/ScsiDisk.h"

#include "device/ScsiCapacity.h"
#include "device/ScsiInquiry.h"
#include "device/ScsiOptical.h"
#include "device/ScsiRead.h"

#include <vector>

namespace vantrel {

namespace {

// Larger blocks than this are no disk we can buffer sanely; a device claiming them is
// treated as reporting no capacity.
constexpr std::uint32_t kMaxBlockSize = 65536;

} // namespace

CScsiDisk::CScsiDisk() {
    ResetScsiFields();
}

void CScsiDisk::ResetScsiFields() {
    ResetFields();
    control_ = 0;
    hostAdapter_ = kScsiAddressUnset;
    target_ = kScsiAddressUnset;
    lun_ = kScsiAddressUnset;
}

void CScsiDisk::SetAddress(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
    hostAdapter_ = hostAdapter;
    target_ = target;
    lun_ = lun;
}

std::int32_t CScsiDisk::GetAccessMethod() const {
    return kAccessScsi;
}

bool CScsiDisk::RunCommand(ScsiRequest& request) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        request.hostAdapter = hostAdapter_;
        request.target = target_;
        request.lun = lun_;
        request.senseLength = kScsiSenseLength;
        request.sense.fill(0);
        request.targetStatus = 0;
        request.residual = 0;
        if (!ExecuteRequest(request))
            return false;
        if (request.targetStatus == 0)
            return true;
        if (request.targetStatus != kScsiStatusCheckCondition ||
            SenseKey(request) != kSenseKeyUnitAttention)
            return false;
    }
    return false;
}

bool CScsiDisk::GetIdentity(DeviceIdentity* out) {
    std::vector<std::uint8_t> answer(kInquiryLength, 0);
    ScsiRequest request;
    BuildInquiry(request, control_);
    request.data = answer.data();
    if (!RunCommand(request))
        return false;
    DeviceIdentity parsed = identity_;
    if (!ParseInquiry(answer, parsed))
        return false;
    identity_ = parsed;
    if (out)
        *out = identity_;
    return true;
}

bool CScsiDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    lastLba_ = 0;
    sectorSize_ = 512;

    std::vector<std::uint8_t> answer(kReadCapacity16Length, 0);
    ScsiRequest request;
    BuildReadCapacity10(request, control_);
    request.data = answer.data();
    ScsiCapacity capacity;
    if (!RunCommand(request) || !ParseReadCapacity10(answer, capacity))
        return false;

    if (capacity.lastLba == kCapacity10Overflow) {
        std::fill(answer.begin(), answer.end(), std::uint8_t{0});
        ScsiRequest wide;
        BuildReadCapacity16(wide, control_);
        wide.data = answer.data();
        ScsiCapacity wideCapacity;
        if (RunCommand(wide) && ParseReadCapacity16(answer, wideCapacity))
            capacity = wideCapacity;
    }

    if (capacity.lastLba == 0) {
        // Optical media that report no capacity: ask the disc, then its first track.
        std::vector<std::uint8_t> disc(kDiscInformationLength, 0);
        ScsiRequest discRequest;
        BuildReadDiscInformation(discRequest, control_);
        discRequest.data = disc.data();
        if (!RunCommand(discRequest))
            return false;
        std::vector<std::uint8_t> track(kTrackInformationLength, 0);
        ScsiRequest trackRequest;
        BuildReadTrackInformation(trackRequest, control_);
        trackRequest.data = track.data();
        if (!RunCommand(trackRequest))
            return false;
        capacity.lastLba = TrackInformationLastLba(track);
        if (capacity.lastLba == 0)
            return false;
    }

    if (capacity.blockSize == 0 || capacity.blockSize > kMaxBlockSize)
        return false;
    lastLba_ = capacity.lastLba;
    sectorSize_ = capacity.blockSize;
    if (lastLba)
        *lastLba = lastLba_;
    if (sectorSize)
        *sectorSize = sectorSize_;
    return true;
}

bool CScsiDisk::ReadPiece(std::uint64_t lba, std::uint32_t blocks, std::uint8_t* buffer) {
    const auto bytes = static_cast<std::uint32_t>(blocks * sectorSize_);
    ScsiRequest request;
    if (NeedsRead16(lba))
        BuildRead16(request, lba, blocks, bytes, control_);
    else
        BuildRead10(request, static_cast<std::uint32_t>(lba), static_cast<std::uint16_t>(blocks),
                    bytes, control_);
    request.data = buffer;
    // A transfer that came back short leaves the rest of the buffer unread.
    return RunCommand(request) && request.residual == 0;
}

bool CScsiDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                            std::uint32_t bufferSize) {
    if (!buffer || lba > lastLba_ || count > lastLba_ - lba + 1 || sectorSize_ == 0)
        return false;
    if (bufferSize < static_cast<std::uint64_t>(count) * sectorSize_)
        return false;
    std::uint32_t perPiece = kMaxTransferBytes / sectorSize_;
    if (perPiece == 0)
        perPiece = 1;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::uint32_t blocks = count < perPiece ? count : perPiece;
        if (!ReadPiece(lba, blocks, out))
            return false;
        lba += blocks;
        count -= blocks;
        out += static_cast<std::size_t>(blocks) * sectorSize_;
    }
    return true;
}

bool CScsiDisk::CheckReady() {
    ScsiRequest request;
    BuildTestUnitReady(request, control_);
    return RunCommand(request);
}

} // namespace vantrel
