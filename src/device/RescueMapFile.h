#pragma once

// Loading the rescue map file a user names for a disk: shared by every front end, so
// that the command line and the desktop program say the same about a bad map.

#include "device/RescueMap.h"

#include <cstdint>
#include <string>

namespace vantrel {

// Map files past this size are refused: a map of millions of areas is far smaller, and a
// wrong file (the image itself) must not be read into memory.
inline constexpr std::uint64_t kMaxRescueMapBytes = 256ull << 20;

// Reads and parses the map at path for a disk of diskBytes, clipping it to the disk.
// False with a message for the user (the file, and for a malformed map its line) in
// *problem; *warning is set when the map was clipped.
[[nodiscard]] bool LoadRescueMap(const std::string& path, std::uint64_t diskBytes, RescueMap* map,
                                 std::string* problem, std::string* warning);

} // namespace vantrel
