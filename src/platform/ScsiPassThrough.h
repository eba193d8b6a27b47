#pragma once

// One SCSI command sent through the kernel's SCSI generic interface (SG_IO) on an open
// descriptor: a SCSI block device or a /dev/sgN node. Read-only descriptors are enough
// for the read-only commands the program sends.

#include <cstdint>
#include <string>

namespace vantrel {

enum class ScsiDirection { None, In, Out };

struct ScsiPassThroughCommand {
    const std::uint8_t* cdb = nullptr;
    std::uint8_t cdbLength = 0;
    ScsiDirection direction = ScsiDirection::None;
    std::uint8_t* data = nullptr;
    std::uint32_t dataLength = 0;
    std::uint8_t* sense = nullptr;
    std::uint8_t senseLength = 0;
    std::uint32_t timeoutMs = 15000;
};

struct ScsiPassThroughResult {
    std::uint8_t scsiStatus = 0;   // status byte returned by the target
    std::uint8_t senseWritten = 0; // sense bytes actually returned
    std::uint32_t residual = 0;    // data bytes not transferred
    int errnoValue = 0;            // why the ioctl failed
};

// False when the ioctl fails (not a SCSI device, no permission, ...) or the host adapter
// or the driver reports an error (a time-out, a reset, a lost device). A target answer
// with CHECK CONDITION is a delivered command: true, with the status and sense filled in.
bool SendScsiCommand(int descriptor, const ScsiPassThroughCommand& command,
                     ScsiPassThroughResult& result);

} // namespace vantrel

namespace vantrel {

// A descriptor for pass-through commands: O_RDONLY | O_NONBLOCK | O_CLOEXEC, so that a
// drive without a medium still answers INQUIRY. Nothing is ever written through it.
class ScsiHandle {
public:
    ScsiHandle() = default;
    ~ScsiHandle();
    ScsiHandle(const ScsiHandle&) = delete;
    ScsiHandle& operator=(const ScsiHandle&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // errno of the last failed open (EACCES and EPERM mean "needs root").
    int LastErrno() const { return lastErrno_; }

private:
    int fd_ = -1;
    int lastErrno_ = 0;
};

} // namespace vantrel
