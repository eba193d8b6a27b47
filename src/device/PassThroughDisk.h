#pragma once

// A SCSI disk reached by pass-through commands on its own device node (a SCSI block
// device or /dev/sgN), opened read-only.

#include "device/DriveSystem.h"
#include "device/ScsiDisk.h"
#include "platform/ScsiPassThrough.h"

#include <string>

namespace vantrel {

class CPassThroughDisk : public CScsiDisk {
public:
    explicit CPassThroughDisk(SystemPaths paths = {});
    ~CPassThroughDisk() override;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_.IsOpen(); }
    // errno of the last failed Open.
    int OpenErrno() const { return handle_.LastErrno(); }

    std::int32_t GetDriveKind() override;
    bool ExecuteRequest(ScsiRequest& request) override;
    std::string DeviceNode() const override { return path_; }

    static constexpr std::uint32_t kTimeoutMs = 15000;

private:
    ScsiHandle handle_;
    std::string path_;
    SystemPaths paths_;
};

} // namespace vantrel
