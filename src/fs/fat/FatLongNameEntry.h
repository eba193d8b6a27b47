#pragma once

// Long-name entries (attribute 0x0F): each holds 13 UTF-16 characters of a name whose
// parts are stored last part first, just before the short entry they belong to.

#include "fs/fat/FatDirEntry.h"
#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

inline constexpr std::size_t kFatLongNameChars = 13;
inline constexpr std::size_t kFatLongNameMax = 255;
// Order-byte bit of the part stored first, that is the last part of the name.
inline constexpr std::uint8_t kFatLastLongNamePart = 0x40;

// A well-formed long-name entry: attribute 0x0F, type 0, first-cluster word 0, and its
// characters are a name part, then at most one 0x0000, then only 0xFFFF padding.
bool IsLongNameEntry(Bytes slot);

// The 13 characters of a long-name slot (offsets 1, 14 and 28), padding included.
std::u16string LongNameSlotChars(Bytes slot);

// Checksum of an 11-byte short name, stored in each of its long-name entries (offset 13).
std::uint8_t ShortNameChecksum(Bytes name11);

// From slot index of a directory of count slots, passes over the slots with attribute
// 0x0F and returns min(index of the first other slot + 1, count).
std::size_t SkipLongNameEntries(Bytes directory, std::size_t index, std::size_t count);

// When slot index starts a long-name run (attribute 0x0F, order bit 0x40, which the
// deleted mark 0xE5 also carries, and type 0), finds the short entry after the run,
// parses it into entry and gives it the run's name (cut at 255 characters).
// *shortIndex receives the short entry's slot index. False when the slot does not start
// a run or no short entry follows before count.
//
// The checksum of a live short entry must match every part of the run; otherwise the
// run was left behind by a deleted file whose short slot was reused, and the entry is
// returned with its short name only (still true). A deleted short entry has lost its
// first name byte, so its checksum cannot be compared.
[[nodiscard]] bool AttachLongName(FatDirEntry& entry, Bytes directory, std::size_t index,
                                  std::size_t count, std::size_t* shortIndex);

} // namespace vantrel
