#pragma once

// The result of a disk check as a GNU ddrescue map file, so that it can be used with the
// tools people know (ddrescuelog, ddrescueview): finished areas '+', unreadable sectors
// '-', and what the check did not reach '?'.

#include "engine/diagnosis/DiskCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct MapArea {
    std::uint64_t position = 0; // bytes
    std::uint64_t size = 0;     // bytes
    char status = '?';
};

// The areas of the whole window, in order, adjacent areas of one status joined. Byte
// positions are relative to the start of the check's window.
std::vector<MapArea> CheckMapAreas(const DiskCheck& check);

// The map file's text; commandLine goes into its header comment.
std::string DdrescueMapText(const DiskCheck& check, const std::string& commandLine);

// Writes the map to path through a temporary file in the same folder, replacing an
// earlier map. False with errno in *error when it could not be written.
bool WriteDdrescueMap(const DiskCheck& check, const std::string& commandLine,
                      const std::string& path, int* error);

} // namespace vantrel
