#include "device/PassThroughDisk.h"

namespace vantrel {

CPassThroughDisk::CPassThroughDisk(SystemPaths paths) : paths_(std::move(paths)) {}

CPassThroughDisk::~CPassThroughDisk() {
    Close();
}

bool CPassThroughDisk::Open(const std::string& path) {
    Close();
    if (!handle_.Open(path))
        return false;
    path_ = path;
    return true;
}

void CPassThroughDisk::Close() {
    handle_.Close();
    path_.clear();
    ResetScsiFields();
}

std::int32_t CPassThroughDisk::GetDriveKind() {
    const std::int32_t kind = CDiskDevice::GetDriveKind();
    return RefineDriveKind(kind, identity_.peripheralType, path_, paths_);
}

bool CPassThroughDisk::ExecuteRequest(ScsiRequest& request) {
    if (!handle_.IsOpen())
        return false;
    ScsiPassThroughCommand command;
    command.cdb = request.cdb.data();
    command.cdbLength = request.cdbLength;
    if (request.flags & kScsiDataIn) {
        command.direction = ScsiDirection::In;
    } else if (request.flags & kScsiDataOut) {
        return false; // the examined disk is never written
    }
    if (command.direction == ScsiDirection::In) {
        command.data = request.data;
        command.dataLength = request.dataLength;
    }
    command.sense = request.sense.data();
    command.senseLength = request.senseLength < request.sense.size()
                              ? request.senseLength
                              : static_cast<std::uint8_t>(request.sense.size());
    command.timeoutMs = kTimeoutMs;
    ScsiPassThroughResult result;
    if (!SendScsiCommand(handle_.Descriptor(), command, result))
        return false;
    request.targetStatus = static_cast<std::uint8_t>(result.scsiStatus & 0x1E);
    request.residual = result.residual;
    return true;
}

} // namespace vantrel
