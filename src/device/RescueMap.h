#pragma once

// The map file a disk-rescue run leaves beside its image: which byte ranges of the disk
// were read ("+") and which were not (non-tried "?", non-trimmed "*", non-scraped "/",
// bad sector "-"). Format, one item per line:
//
//   # comment lines anywhere
//   0x00120000  ?  1             current position, current status, current pass
//   0x00000000  0x00100000  +    then pos size status, in order, without gaps
//
// Numbers are C integers (0x hex, leading-0 octal, or decimal). Anything the map does
// not cover counts as not read: the image holds no rescued data there.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct RescueBlock {
    std::uint64_t pos = 0;
    std::uint64_t size = 0;
    char status = '?';
};

struct RescueMapProblem {
    std::size_t line = 0; // 1-based; 0 when the problem is the file as a whole
    std::string reason;   // UTF-8, for the user
};

class RescueMap {
public:
    // Parses a whole map file. False with the line and the reason when it is malformed.
    [[nodiscard]] static bool Parse(std::string_view text, RescueMap* map,
                                    RescueMapProblem* problem);

    const std::vector<RescueBlock>& Blocks() const { return blocks_; }
    std::uint64_t CurrentPos() const { return currentPos_; }
    char CurrentStatus() const { return currentStatus_; }
    // Byte just past the last block.
    std::uint64_t End() const {
        return blocks_.empty() ? 0 : blocks_.back().pos + blocks_.back().size;
    }

    // Drops what lies at or past byteSize (the image's size); true when anything went.
    bool ClipTo(std::uint64_t byteSize);

    // Sectors of lba..lba+count-1 holding at least one byte that was not read.
    std::uint64_t UnreadSectorsIn(std::uint64_t lba, std::uint64_t count,
                                  std::uint32_t sectorSize) const;

private:
    void CollectUnread();

    std::vector<RescueBlock> blocks_;
    // Byte ranges [first, second) that were not read, sorted, merged, covering what lies
    // before the first block and after the last one.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> unread_;
    std::uint64_t currentPos_ = 0;
    char currentStatus_ = '?';
};

// Writes blocks in the same format (hex positions, as the rescue tool writes them).
std::string FormatRescueMap(const std::vector<RescueBlock>& blocks, std::uint64_t currentPos,
                            char currentStatus, std::string_view commentLine);

} // namespace vantrel
