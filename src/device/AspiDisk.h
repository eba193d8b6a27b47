#pragma once

// A SCSI device addressed by host adapter, target and LUN: the SCSI generic node the
// kernel lists with that address.

#include "device/DriveSystem.h"
#include "device/ScsiDisk.h"
#include "platform/ScsiPassThrough.h"

#include <vector>

namespace vantrel {

class CAspiDisk : public CScsiDisk {
public:
    explicit CAspiDisk(SystemPaths paths = {});
    ~CAspiDisk() override;

    // Number of host adapters; 0 when the kernel lists none.
    int HostAdapterCount();
    // Addresses the device and asks INQUIRY. Targets and LUNs above 6 are never probed.
    bool Select(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
    void Close();

    std::int32_t GetDriveKind() override;
    bool ExecuteRequest(ScsiRequest& request) override;
    std::string DeviceNode() const override { return node_; }

    static constexpr std::uint8_t kHighestProbed = 6;

protected:
    // Delivers the command to the selected node; status is the target's status byte.
    // False when the command did not complete.
    virtual bool Deliver(ScsiRequest& request, std::uint8_t& status);
    // The node of an address, "" when the kernel lists none.
    std::string NodeOfAddress(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);

private:
    bool Load();

    SystemPaths paths_;
    bool loaded_ = false;
    int hostAdapters_ = 0;
    std::vector<ScsiGenericEntry> generic_;
    ScsiHandle handle_;
    std::string node_;
};

} // namespace vantrel
