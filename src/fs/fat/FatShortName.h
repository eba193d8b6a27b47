#pragma once

// The name shown for a directory entry: the 8.3 short name decoded from the disk's code
// page (Shift-JIS by default), or the long name when one is attached.

#include "fs/fat/FatDirEntry.h"

#include <string>

namespace vantrel {

// Builds the short display name of entry (not for long-name entries): "BASE.EXT", or the
// 11 bytes as one field for a volume label; trailing blanks removed; lower-cased where
// ntFlags says so (bit 3 the base, bit 4 the extension); decoded to UTF-16. The first
// character of a deleted name, which the deletion overwrote, shows as '_'. Any other
// byte that is neither a printable character nor a Shift-JIS pair also becomes '_'; more
// than one such byte makes the name fail (false, name cleared).
[[nodiscard]] bool BuildShortName(const FatDirEntry& entry, std::u16string* name);

// The long name when attached, else the short name. False when there is neither.
[[nodiscard]] bool FatDisplayName(const FatDirEntry& entry, std::u16string* name);

} // namespace vantrel
