#pragma once

// The part of a file that the dump keeps in memory, and the dump's arithmetic: which
// window of the file is loaded for a top line, the scroll bar's range for files of any
// size, and where each navigation goes. Memory stays bounded by the capacity.

#include "viewers/core/DumpFormat.h"
#include "viewers/core/EntryReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Bytes kept for a window whose tallest possible client area is height pixels: five
// screens of 16-pixel lines.
std::uint32_t DumpCapacityFor(int maximumHeight);

class DumpFileWindow {
public:
    DumpFileWindow(EntryReader& reader, std::uint32_t capacity);

    // False when the buffer could not be had (or the capacity is 0).
    bool Usable() const { return !buffer_.empty(); }

    // Loads the window around offset p (a multiple of 16) and makes it the top line.
    // False when the read failed: the buffer then holds zeros.
    bool Load(std::uint64_t p);

    struct Move {
        bool reloaded = false;
        bool readOk = true;
    };
    // Makes p the top line, reloading only when the visible lines leave the window.
    Move MoveTo(std::uint64_t p, int visibleLines);

    std::uint64_t Top() const { return top_; }
    std::uint64_t WindowStart() const { return windowStart_; }
    std::uint64_t WindowEnd() const { return windowEnd_; }
    bool LeadByte() const { return leadByte_; }
    std::uint64_t Size() const { return size_; }
    std::uint32_t Capacity() const { return capacity_; }

    // The bytes of the line at offset (at most 16) and the byte after them when the
    // buffer holds it. Bytes outside the buffer read as zeros.
    Bytes Line(std::uint64_t offset, std::uint8_t (&storage)[kDumpLineBytes],
               std::optional<std::uint8_t>* next) const;

    // Whether the line at offset starts with the second half of a character begun on the
    // line above, worked out from the start of the loaded window so that a partial
    // repaint shows the same as a full one.
    bool ShiftJisCarryInto(std::uint64_t offset) const;

private:
    std::uint8_t At(std::uint64_t offset, bool* present) const;

    EntryReader& reader_;
    std::uint64_t size_ = 0;
    std::uint32_t capacity_ = 0;
    std::vector<std::uint8_t> buffer_; // capacity + 2 bytes
    std::uint64_t top_ = 0;
    std::uint64_t windowStart_ = 0;
    std::uint64_t windowEnd_ = 0;
    bool leadByte_ = false;
};

// The vertical scroll bar counts lines shifted right by shift, so that its maximum fits a
// signed 32-bit value.
struct DumpScrollRange {
    int shift = 0;
    std::int64_t maximum = 0;
};
DumpScrollRange DumpScrollRangeFor(std::uint64_t size);
std::int64_t DumpScrollPosition(std::uint64_t offset, int shift);
std::uint64_t DumpOffsetForPosition(std::int64_t position, int shift);

// Navigation targets for the top line.
std::uint64_t DumpLineUp(std::uint64_t top);
std::uint64_t DumpLineDown(std::uint64_t top, std::uint64_t size);
std::uint64_t DumpPageDown(std::uint64_t top, int visibleLines, std::uint64_t size);
std::uint64_t DumpPageUp(std::uint64_t top, int visibleLines);
std::uint64_t DumpLast(std::uint64_t size, int visibleLines);

// The go-to dialog: the largest address it takes (size - 1), the text that replaces a
// typed text above it (nullopt when the text stands), and the top line for an address.
std::uint64_t DumpGoToMaximum(std::uint64_t size);
std::optional<std::u16string> DumpGoToClamp(std::u16string_view text, std::uint64_t maximum);
std::uint64_t DumpGoToTarget(std::uint64_t address);

} // namespace vantrel
