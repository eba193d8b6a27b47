#include "device/FloppyBios.h"
#include "platform/ReadOnlyFile.h"
#include "platform/ScsiPassThrough.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr std::uint32_t kSectorBytes = 512;
// 3.5-inch 1.44 MB drive in the device parameter block's type byte.
constexpr std::uint8_t kDeviceType144 = 7;

class LinuxFloppyBios : public FloppyBios {
public:
    explicit LinuxFloppyBios(std::string devRoot) : devRoot_(std::move(devRoot)) {}

    bool GetDeviceParameters(int biosDrive,
                             std::array<std::uint8_t, kDeviceParameterBlockSize>& block) override {
        block.fill(0);
        if (biosDrive < 0 || biosDrive > 1)
            return false;
        // The drive exists when its node opens without waiting for a medium, as the
        // BIOS knows its drives whether a disk is in or not; reads open it normally.
        ScsiHandle drive;
        if (!drive.Open(DriveNode(biosDrive)))
            return false;
        block[1] = kDeviceType144;
        return true;
    }

    void Int13(BiosRegisters& r, std::span<std::uint8_t> trackBuffer) override {
        r.flags |= kBiosCarry;
        const int drive = r.Dl();
        if (drive > 1)
            return;
        switch (r.Ah()) {
        case kInt13Reset:
            // The driver re-reads the medium's state when the node is opened again.
            if (Reopen(drive))
                r.flags &= ~kBiosCarry;
            return;
        case kInt13SetMediaType:
            if (!file_.IsOpen() && !Reopen(drive))
                return;
            sectorsPerTrack_ = r.Cl() & 0x3F;
            r.flags &= ~kBiosCarry;
            return;
        case kInt13Read: {
            if (!file_.IsOpen() || openDrive_ != drive || sectorsPerTrack_ == 0)
                return;
            const std::uint32_t cylinder = r.Ch() | ((r.Cl() & 0xC0u) << 2);
            const std::uint32_t sector = r.Cl() & 0x3Fu;
            const std::uint32_t head = r.Dh();
            const std::uint32_t count = r.Al();
            if (sector == 0 || head > 1 || count == 0 ||
                static_cast<std::uint64_t>(count) * kSectorBytes > trackBuffer.size())
                return;
            const std::uint64_t lba =
                (static_cast<std::uint64_t>(cylinder) * 2 + head) * sectorsPerTrack_ + sector - 1;
            if (file_.ReadAt(lba * kSectorBytes, trackBuffer.data(), count * kSectorBytes))
                r.flags &= ~kBiosCarry;
            return;
        }
        default:
            return; // writes included: the node is open read-only
        }
    }

    std::string DriveNode(int biosDrive) const override {
        return devRoot_ + "/fd" + std::to_string(biosDrive);
    }

private:
    bool Reopen(int drive) {
        openDrive_ = -1;
        if (!file_.Open(DriveNode(drive)))
            return false;
        openDrive_ = drive;
        return true;
    }

    std::string devRoot_;
    ReadOnlyFile file_;
    int openDrive_ = -1;
    std::uint32_t sectorsPerTrack_ = 0;
};

} // namespace

std::unique_ptr<FloppyBios> MakeLinuxFloppyBios(const std::string& devRoot) {
    return std::make_unique<LinuxFloppyBios>(devRoot);
}

} // namespace vantrel
