#include "platform/ScsiPassThrough.h"

#include <cerrno>
#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vantrel {

namespace {

// driver_status values below DRIVER_SENSE (0x08) are errors; DRIVER_SENSE only says that
// sense data came back with the status.
constexpr unsigned kDriverErrorMask = 0x07;

} // namespace

bool SendScsiCommand(int descriptor, const ScsiPassThroughCommand& command,
                     ScsiPassThroughResult& result) {
    result = {};
    if (descriptor < 0 || !command.cdb || command.cdbLength == 0 || command.cdbLength > 16) {
        result.errnoValue = EINVAL;
        return false;
    }
    if (command.direction != ScsiDirection::None && (!command.data || command.dataLength == 0)) {
        result.errnoValue = EINVAL;
        return false;
    }
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    switch (command.direction) {
    case ScsiDirection::None:
        header.dxfer_direction = SG_DXFER_NONE;
        break;
    case ScsiDirection::In:
        header.dxfer_direction = SG_DXFER_FROM_DEV;
        break;
    case ScsiDirection::Out:
        header.dxfer_direction = SG_DXFER_TO_DEV;
        break;
    }
    header.cmd_len = command.cdbLength;
    // The kernel only reads the command block, whatever the pointer's constness says.
    header.cmdp = const_cast<unsigned char*>(command.cdb);
    header.dxfer_len = command.direction == ScsiDirection::None ? 0 : command.dataLength;
    header.dxferp = command.direction == ScsiDirection::None ? nullptr : command.data;
    header.mx_sb_len = command.sense ? command.senseLength : 0;
    header.sbp = command.sense;
    header.timeout = command.timeoutMs;

    int rc;
    do {
        rc = ::ioctl(descriptor, SG_IO, &header);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        result.errnoValue = errno;
        return false;
    }
    result.scsiStatus = header.status;
    result.senseWritten = header.sb_len_wr;
    result.residual = header.resid > 0 ? static_cast<std::uint32_t>(header.resid) : 0;
    if (header.host_status != 0 || (header.driver_status & kDriverErrorMask) != 0) {
        result.errnoValue = EIO;
        return false;
    }
    return true;
}

} // namespace vantrel

namespace vantrel {

ScsiHandle::~ScsiHandle() {
    Close();
}

bool ScsiHandle::Open(const std::string& path) {
    Close();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastErrno_ = errno;
        return false;
    }
    fd_ = fd;
    lastErrno_ = 0;
    return true;
}

void ScsiHandle::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace vantrel
