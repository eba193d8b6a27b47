#pragma once

// A disk driven by SCSI commands. The transport (pass-through on an opened device, or a
// host adapter / target / LUN address) is the subclass's ExecuteRequest.

#include "device/DiskDevice.h"
#include "device/ScsiRequest.h"

namespace vantrel {

class CScsiDisk : public CDiskDevice {
public:
    CScsiDisk();

    std::int32_t GetAccessMethod() const override;
    // INQUIRY.
    bool GetIdentity(DeviceIdentity* out) override;
    // READ CAPACITY(10), (16) when (10) overflows, track information when it reports 0.
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    // READ(10), or READ(16) for LBAs past 32 bits.
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize) override;
    // TEST UNIT READY.
    bool CheckReady() override;

    // Sends one command; true when the transport delivered it (the target status is
    // judged by the caller).
    virtual bool ExecuteRequest(ScsiRequest& request) = 0;

    std::uint8_t HostAdapter() const { return hostAdapter_; }
    std::uint8_t Target() const { return target_; }
    std::uint8_t Lun() const { return lun_; }

    // Largest single transfer; longer reads are split. The READ(10) block count is 16
    // bits wide, and kernels cap one pass-through transfer well below that.
    static constexpr std::uint32_t kMaxTransferBytes = 65536;

protected:
    // Base fields plus the address (255/255/255) and control byte 0.
    void ResetScsiFields();
    void SetAddress(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
    // Fills the address, executes, and succeeds when the target status is GOOD. A pending
    // UNIT ATTENTION (left by a bus reset or a medium change) is answered by one retry.
    bool RunCommand(ScsiRequest& request);

private:
    [[nodiscard]] bool ReadPiece(std::uint64_t lba, std::uint32_t blocks, std::uint8_t* buffer);

    std::uint8_t control_ = 0;
    std::uint8_t hostAdapter_ = kScsiAddressUnset;
    std::uint8_t target_ = kScsiAddressUnset;
    std::uint8_t lun_ = kScsiAddressUnset;
};

} // namespace vantrel
