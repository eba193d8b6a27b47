#pragma once

// The 32-byte FAT directory entry: parsing, the tests that classify a slot (deleted,
// volume label, directory, dot entries, file) and the plausibility test that tells a
// directory entry from other data. The tests take the raw slot so that they work on
// any buffer, and have overloads for an entry that was already parsed.

#include "fs/fat/FatCharacters.h"
#include "platform/ByteReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

inline constexpr std::size_t kFatDirEntryBytes = 32;

inline constexpr std::uint8_t kFatAttrReadOnly = 0x01;
inline constexpr std::uint8_t kFatAttrHidden = 0x02;
inline constexpr std::uint8_t kFatAttrSystem = 0x04;
inline constexpr std::uint8_t kFatAttrVolumeLabel = 0x08;
inline constexpr std::uint8_t kFatAttrDirectory = 0x10;
inline constexpr std::uint8_t kFatAttrArchive = 0x20;
inline constexpr std::uint8_t kFatAttrLongName = 0x0F;

inline constexpr std::uint8_t kFatDeletedMark = 0xE5;
// Stored in the first name byte for a name whose first byte really is 0xE5 (a Shift-JIS
// lead byte), so that it is not mistaken for a deleted entry.
inline constexpr std::uint8_t kFatKanjiE5Mark = 0x05;

// ntFlags: the base name / the extension was stored in capitals but is shown in lower case.
inline constexpr std::uint8_t kFatNtLowerBase = 0x08;
inline constexpr std::uint8_t kFatNtLowerExtension = 0x10;

struct FatDirEntry {
    // UTF-16 long name (at most 255 characters) when long-name entries were attached.
    std::optional<std::u16string> longName;
    std::array<std::uint8_t, 11> name{}; // 0: 8 base + 3 extension, space padded
    std::uint8_t attributes = 0;         // 11
    std::uint8_t ntFlags = 0;            // 12
    std::uint8_t createTimeTenths = 0;   // 13
    std::uint16_t createTime = 0;        // 14
    std::uint16_t createDate = 0;        // 16
    std::uint16_t accessDate = 0;        // 18
    std::uint16_t writeTime = 0;         // 22
    std::uint16_t writeDate = 0;         // 24
    std::uint32_t firstCluster = 0;      // high word at 20, low word at 26
    std::uint32_t fileSize = 0;          // 28
    // The slot as stored. The tests below on a parsed entry use its fields above (written
    // over this copy), so they also hold for an entry made up by a caller.
    std::array<std::uint8_t, kFatDirEntryBytes> raw{};
};

// Parses the first 32 bytes of slot into entry (longName cleared). False when shorter.
[[nodiscard]] bool ParseDirEntry(FatDirEntry& entry, Bytes slot);

// Every test is false for a slot shorter than 32 bytes.
bool IsDeleted(Bytes slot);
bool IsVolumeLabel(Bytes slot);
bool IsDirectory(Bytes slot);
bool IsDotEntry(Bytes slot);
bool IsDotDotEntry(Bytes slot);
// A short (8.3) entry: not a long-name entry, and either a dot entry or an entry whose
// name and extension are made of characters a name may hold (the base is not checked for
// a deleted entry, whose first byte was overwritten).
bool IsShortEntry(Bytes slot);
bool IsFileEntry(Bytes slot);
// A long-name entry or a short entry.
bool IsPlausibleEntry(Bytes slot);
// The same in the code page of chars, asked for once by a caller that tests many slots.
bool IsPlausibleEntry(Bytes slot, const FatCharacters& chars);

bool IsDeleted(const FatDirEntry& entry);
bool IsVolumeLabel(const FatDirEntry& entry);
bool IsDirectory(const FatDirEntry& entry);
bool IsDotEntry(const FatDirEntry& entry);
bool IsDotDotEntry(const FatDirEntry& entry);
bool IsShortEntry(const FatDirEntry& entry);
bool IsFileEntry(const FatDirEntry& entry);

// What a listing makes of an entry: a sub-directory, a file, or nothing (long-name, dot
// and volume-label entries, and slots that are no short entry).
enum class FatListedKind { kNone, kDirectory, kFile };
FatListedKind ListedKind(const FatDirEntry& entry);

// True when field (a base or an extension) is a valid 8.3 name part: no NUL, only spaces
// after the first space, and only characters a short name may hold (Shift-JIS pairs
// count as one character). firstOfName: the field starts the name, where 0x05 stands
// for a 0xE5 lead byte.
bool IsValidNameField(Bytes field, bool firstOfName);

} // namespace vantrel
