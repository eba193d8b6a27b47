#pragma once

// The first bytes of an Expert Witness (E01) segment file: "EVF", 09 0D 0A FF 00. The
// source is recognised by these, never by its name.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

inline constexpr std::size_t kEwfSignatureBytes = 8;

bool HasEwfSignature(std::span<const std::uint8_t> firstBytes);

// True when path is a regular file that starts like an E01 segment.
bool IsEwfImageFile(const std::string& path);

} // namespace vantrel
