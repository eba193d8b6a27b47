// The directory-data tests that raw-sector scans run on every sector, checked against the
// byte-at-a-time reference in both kinds of code page: on the input as it is, and on the
// input turned into slots of name-like bytes ending in zeros, which random bytes seldom
// make and where the two could part.

#include "ReferenceDirectoryData.h"
#include "fs/fat/FatDirectoryData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace vantrel;

// Bytes at the edges of every class the tests tell apart.
constexpr std::array<std::uint8_t, 40> kEdgeBytes = {
    0x00, 0x05, 0x08, 0x09, 0x0A, 0x0D, 0x0F, 0x10, 0x1F, 0x20, 0x21, 0x22, 0x2B, 0x2D,
    0x2E, 0x30, 0x3F, 0x40, 0x41, 0x5B, 0x5E, 0x60, 0x7B, 0x7E, 0x7F, 0x80, 0x81, 0x9F,
    0xA0, 0xA1, 0xDF, 0xE0, 0xE5, 0xFC, 0xFD, 0xFF, 'A',  'Z',  ' ',  ' '};

void Check(bool same) {
    if (!same)
        __builtin_trap();
}

void Compare(Bytes input) {
    for (const bool doubleByte : {false, true}) {
        const FatCharacters chars(doubleByte);
        const std::size_t prefix = PlausibleEntryPrefix(input, chars);
        Check(prefix == reference::PlausibleEntryPrefix(input, doubleByte));
        Check(IsDirectoryCluster(input, chars) == reference::IsDirectoryCluster(input, doubleByte));
        for (std::size_t offset = 0; offset < input.size(); offset += kFatDirEntryBytes) {
            const Bytes slot = input.subspan(offset);
            Check(IsPlausibleEntry(slot, chars) == reference::IsPlausibleEntry(slot, doubleByte));
        }
        // A scan's block of sectors, one mark more than it holds.
        for (const std::size_t sectorSize :
             {std::size_t{32}, std::size_t{33}, std::size_t{96}, std::size_t{512}}) {
            const std::size_t count = input.size() / sectorSize;
            std::vector<std::uint64_t> marks(count + 1, 7);
            MarkDirectoryClusters(input, sectorSize, chars, marks, 4);
            for (std::size_t i = 0; i < count; ++i) {
                const bool directory = reference::IsDirectoryCluster(
                    input.subspan(i * sectorSize, sectorSize), doubleByte);
                Check(marks[i] == (directory ? 4u : 0u));
            }
            Check(marks[count] == 0);
        }
    }
    // The forms that ask for the code page themselves (Shift-JIS unless set otherwise).
    const bool doubleByte = FatCharacters().DoubleByte();
    Check(LeadingTextLength(input) == reference::LeadingTextLength(input, doubleByte));
    Check(IsDirectoryCluster(input) == reference::IsDirectoryCluster(input, doubleByte));
    for (std::size_t offset = 0; offset < input.size(); offset += kFatDirEntryBytes) {
        const Bytes slot = input.subspan(offset);
        Check(IsShortEntry(slot) == reference::IsShortEntry(slot, doubleByte));
        Check(IsLongNameEntry(slot) == reference::IsLongNameEntry(slot));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, size);
    Compare(input);
    if (size < 2)
        return 0;
    // Slots of edge bytes (input bytes with the top bit set stay as they are), zeros from
    // the slot the first byte picks on: most such sectors pass the quick tests.
    std::vector<std::uint8_t> slots(size - 1);
    for (std::size_t i = 1; i < size; ++i)
        slots[i - 1] = data[i] >= 0x80 ? data[i] : kEdgeBytes[data[i] % kEdgeBytes.size()];
    const std::size_t zerosFrom = std::size_t{data[0]} * kFatDirEntryBytes / 8;
    for (std::size_t i = zerosFrom; i < slots.size(); ++i)
        slots[i] = 0;
    Compare(Bytes(slots));
    return 0;
}
