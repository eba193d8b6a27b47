#include "device/AspiDisk.h"

namespace vantrel {

CAspiDisk::CAspiDisk(SystemPaths paths) : paths_(std::move(paths)) {}

CAspiDisk::~CAspiDisk() {
    Close();
}

bool CAspiDisk::Load() {
    if (!loaded_) {
        generic_ = ListScsiGeneric(paths_.sysfsRoot);
        hostAdapters_ = ScsiHostCount(paths_.sysfsRoot);
        loaded_ = true;
    }
    return hostAdapters_ > 0;
}

int CAspiDisk::HostAdapterCount() {
    Load();
    return hostAdapters_;
}

void CAspiDisk::Close() {
    handle_.Close();
    node_.clear();
    ResetScsiFields();
}

std::string CAspiDisk::NodeOfAddress(std::uint8_t hostAdapter, std::uint8_t target,
                                     std::uint8_t lun) {
    if (!Load() || target > kHighestProbed || lun > kHighestProbed)
        return {};
    // The kernel adds a channel that the adapter/target/LUN address lacks; the lowest
    // channel with the address wins.
    const ScsiGenericEntry* best = nullptr;
    for (const ScsiGenericEntry& entry : generic_)
        if (entry.host == hostAdapter && entry.target == target && entry.lun == lun &&
            (!best || entry.channel < best->channel))
            best = &entry;
    return best ? paths_.devRoot + "/" + best->name : std::string();
}

bool CAspiDisk::Select(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
    Close();
    const std::string node = NodeOfAddress(hostAdapter, target, lun);
    if (node.empty() || !handle_.Open(node))
        return false;
    node_ = node;
    SetAddress(hostAdapter, target, lun);
    return GetIdentity(nullptr);
}

std::int32_t CAspiDisk::GetDriveKind() {
    const std::int32_t kind = CDiskDevice::GetDriveKind();
    return RefineDriveKind(kind, identity_.peripheralType, node_, paths_);
}

bool CAspiDisk::Deliver(ScsiRequest& request, std::uint8_t& status) {
    if (!handle_.IsOpen())
        return false;
    ScsiPassThroughCommand command;
    command.cdb = request.cdb.data();
    command.cdbLength = request.cdbLength;
    if (request.flags & kScsiDataOut)
        return false; // the examined disk is never written
    if (request.flags & kScsiDataIn) {
        command.direction = ScsiDirection::In;
        command.data = request.data;
        command.dataLength = request.dataLength;
    }
    command.sense = request.sense.data();
    command.senseLength = kScsiSenseLength;
    ScsiPassThroughResult result;
    if (!SendScsiCommand(handle_.Descriptor(), command, result))
        return false;
    status = result.scsiStatus;
    request.residual = result.residual;
    return true;
}

bool CAspiDisk::ExecuteRequest(ScsiRequest& request) {
    // The kernel routes by the node and puts the LUN into byte 1 itself for devices that
    // still expect it there; adding it here would set READ(10)'s protection bits.
    std::uint8_t status = 0;
    if (!Deliver(request, status))
        return false;
    // A completed command still carries the target's verdict: a CHECK CONDITION on a
    // read means the buffer holds no data, so the status is kept and the read fails.
    request.targetStatus = static_cast<std::uint8_t>(status & 0x1E);
    return true;
}

} // namespace vantrel
