#pragma once

// The BIOS services a floppy drive is driven through: the drive's parameter block and
// INT 13h register calls. Kept behind an interface so that a drive can be emulated.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vantrel {

// The 28-byte INT 13h register block, in its order. Bit 0 of flags is the carry flag:
// set when the call failed.
struct BiosRegisters {
    std::uint32_t ebx = 0;
    std::uint32_t edx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t eax = 0;
    std::uint32_t edi = 0;
    std::uint32_t esi = 0;
    std::uint32_t flags = 0;

    std::uint8_t Ah() const { return static_cast<std::uint8_t>(eax >> 8); }
    std::uint8_t Al() const { return static_cast<std::uint8_t>(eax); }
    std::uint8_t Ch() const { return static_cast<std::uint8_t>(ecx >> 8); }
    std::uint8_t Cl() const { return static_cast<std::uint8_t>(ecx); }
    std::uint8_t Dh() const { return static_cast<std::uint8_t>(edx >> 8); }
    std::uint8_t Dl() const { return static_cast<std::uint8_t>(edx); }
    bool Carry() const { return (flags & 1u) != 0; }
};

inline constexpr std::uint32_t kBiosCarry = 1;
inline constexpr std::size_t kDeviceParameterBlockSize = 32;

// INT 13h functions used.
inline constexpr std::uint8_t kInt13Reset = 0x00;
inline constexpr std::uint8_t kInt13Read = 0x02;
inline constexpr std::uint8_t kInt13Write = 0x03;
inline constexpr std::uint8_t kInt13SetMediaType = 0x18;

class FloppyBios {
public:
    virtual ~FloppyBios() = default;
    // Generic IOCTL "get device parameters" (0x440D, 0x0860) for biosDrive + 1 into a
    // zeroed 32-byte block; byte 1 is the device type. False on failure or carry.
    virtual bool
    GetDeviceParameters(int biosDrive,
                        std::array<std::uint8_t, kDeviceParameterBlockSize>& block) = 0;
    // One INT 13h call. trackBuffer is what ES:BX points at.
    virtual void Int13(BiosRegisters& registers, std::span<std::uint8_t> trackBuffer) = 0;
    // The device node the drive is read through, for display.
    virtual std::string DriveNode(int biosDrive) const = 0;
};

// Floppy drives 0 and 1 as /dev/fd0 and /dev/fd1 under devRoot, read with pread: the
// same track walk over the kernel's floppy driver. Opened read-only, so a write call
// always comes back with the carry flag set.
std::unique_ptr<FloppyBios> MakeLinuxFloppyBios(const std::string& devRoot = "/dev");

} // namespace vantrel
