#pragma once

// Opening the SOURCE argument of a command: a device node or an image file, read only.

#include "device/HandleDisk.h"
#include "device/MappedDisk.h"

#include <memory>
#include <string>

namespace vantrel::cli {

// Opens path and asks its capacity: a device node or a raw image through CHandleDisk, an
// Expert Witness (E01) image, recognised by its first bytes, through CEwfDisk. On failure
// prints one clear message on stderr and returns null; the command then exits with
// kExitUsage.
// "drive:N" opens the drive that `vantrel-cli drives` numbers N.
std::unique_ptr<CDiskDevice> OpenSource(const std::string& path);

inline constexpr char kDrivePrefix[] = "drive:";
// The file a source reads: path itself, or the device node of a "drive:N".
std::string SourceDevicePath(const std::string& source, const CDiskDevice& device);

// Every command that takes SOURCE also takes the map of a rescue run that made the image.
inline constexpr const char* kMapOption = "--map";
inline constexpr const char* kMapHelp =
    "  --map FILE  イメージを作った救出作業のマップファイル。読めなかった領域は\n"
    "              読み込みエラーのセクタとして扱います\n";

// Reads and checks the map file at mapPath for disk. On failure prints one clear message
// (with the line at fault) on stderr and returns null; a map that reaches past the end of
// the disk is clipped with a warning.
std::unique_ptr<CMappedDisk> OpenMap(CDiskDevice& disk, const std::string& mapPath);

} // namespace vantrel::cli
