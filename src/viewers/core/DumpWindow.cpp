#include "viewers/core/DumpWindow.h"

#include "platform/Utf.h"

#include <algorithm>
#include <new>

namespace vantrel {

namespace {

constexpr std::uint64_t kLine = kDumpLineBytes;

std::uint64_t PageBytes(int visibleLines) {
    // A window too low for two lines still pages by one.
    return static_cast<std::uint64_t>(std::max(visibleLines - 2, 1)) * kLine;
}

} // namespace

std::uint32_t DumpCapacityFor(int maximumHeight) {
    if (maximumHeight <= 0)
        return 0;
    return static_cast<std::uint32_t>(maximumHeight / 16) * 80u;
}

DumpFileWindow::DumpFileWindow(EntryReader& reader, std::uint32_t capacity)
    : reader_(reader), size_(reader.Size()), capacity_(capacity) {
    if (size_ == 0 || capacity_ == 0)
        return;
    try {
        buffer_.assign(static_cast<std::size_t>(capacity_) + 2, 0);
    } catch (const std::bad_alloc&) {
        buffer_.clear();
    }
}

bool DumpFileWindow::Load(std::uint64_t p) {
    if (!Usable())
        return false;
    std::fill(buffer_.begin(), buffer_.end(), 0);
    top_ = p;
    const std::uint64_t before = 2 * (capacity_ / 5);
    if (p > before) {
        windowStart_ = p - before;
        windowStart_ = windowStart_ + (windowStart_ % kLine) - kLine; // one line earlier
    } else {
        windowStart_ = 0;
    }
    windowEnd_ = std::min<std::uint64_t>(windowStart_ + capacity_, size_);
    leadByte_ = windowStart_ > 0;
    const std::uint64_t readStart = leadByte_ ? windowStart_ - 1 : 0;
    std::uint64_t count;
    if (readStart + capacity_ > size_)
        count = size_ - readStart;
    else
        count = readStart != 0 || capacity_ >= size_ ? capacity_ + 2ull : capacity_ + 1ull;
    // Never ask for bytes past the end: a window that ends exactly at the end of the file
    // would otherwise fail to load.
    count = std::min(count, size_ - std::min(readStart, size_));
    if (count == 0)
        return true;
    if (!reader_.ReadAt(readStart, buffer_.data(), static_cast<std::size_t>(count))) {
        std::fill(buffer_.begin(), buffer_.end(), 0);
        return false;
    }
    return true;
}

DumpFileWindow::Move DumpFileWindow::MoveTo(std::uint64_t p, int visibleLines) {
    Move move;
    // The row below the last whole one is drawn too, so it must be in the window.
    const std::uint64_t shown = static_cast<std::uint64_t>(std::max(visibleLines, 0) + 1) * kLine;
    const std::uint64_t last = std::min(p + shown, size_);
    if (p < windowStart_ || last > windowEnd_) {
        move.reloaded = true;
        move.readOk = Load(p);
    } else {
        top_ = p;
    }
    return move;
}

std::uint8_t DumpFileWindow::At(std::uint64_t offset, bool* present) const {
    *present = false;
    if (offset < windowStart_)
        return 0;
    const std::uint64_t index = offset - windowStart_ + (leadByte_ ? 1 : 0);
    if (index >= buffer_.size())
        return 0;
    *present = true;
    return buffer_[static_cast<std::size_t>(index)];
}

Bytes DumpFileWindow::Line(std::uint64_t offset, std::uint8_t (&storage)[kDumpLineBytes],
                           std::optional<std::uint8_t>* next) const {
    const std::size_t n =
        offset >= size_ ? 0
                        : static_cast<std::size_t>(std::min<std::uint64_t>(kLine, size_ - offset));
    bool present = false;
    for (std::size_t i = 0; i < n; ++i)
        storage[i] = At(offset + i, &present);
    if (next) {
        *next = std::nullopt;
        if (offset + kLine < size_) {
            const std::uint8_t byte = At(offset + kLine, &present);
            if (present)
                *next = byte;
        }
    }
    return Bytes(storage, n);
}

bool DumpFileWindow::ShiftJisCarryInto(std::uint64_t offset) const {
    bool carry = false;
    std::uint64_t line = windowStart_ - windowStart_ % kLine;
    if (line < windowStart_)
        line += kLine;
    for (; line < offset && line < size_; line += kLine) {
        std::uint8_t storage[kDumpLineBytes];
        std::optional<std::uint8_t> next;
        const Bytes bytes = Line(line, storage, &next);
        (void)DumpTextColumn(DumpTextMode::shiftJis, bytes, next, line == 0, carry);
    }
    return carry;
}

DumpScrollRange DumpScrollRangeFor(std::uint64_t size) {
    DumpScrollRange range;
    if (size == 0)
        return range;
    const std::uint64_t lines = size / kLine;
    while (range.shift < 31 && (lines >> range.shift) > 0x7FFFFFFFull)
        ++range.shift;
    if (range.shift > 0)
        range.maximum = static_cast<std::int64_t>(lines >> range.shift);
    else
        range.maximum = static_cast<std::int64_t>(lines) - (size % kLine == 0 ? 1 : 0);
    return range;
}

std::int64_t DumpScrollPosition(std::uint64_t offset, int shift) {
    return static_cast<std::int64_t>((offset / kLine) >> shift);
}

std::uint64_t DumpOffsetForPosition(std::int64_t position, int shift) {
    return (static_cast<std::uint64_t>(std::max<std::int64_t>(position, 0)) << shift) * kLine;
}

std::uint64_t DumpLineUp(std::uint64_t top) {
    return top >= kLine ? top - kLine : top;
}

std::uint64_t DumpLineDown(std::uint64_t top, std::uint64_t size) {
    return top + kLine < size ? top + kLine : top;
}

std::uint64_t DumpPageDown(std::uint64_t top, int visibleLines, std::uint64_t size) {
    const std::uint64_t target = top + PageBytes(visibleLines);
    return target >= size ? top : target;
}

std::uint64_t DumpPageUp(std::uint64_t top, int visibleLines) {
    const std::uint64_t page = PageBytes(visibleLines);
    return top < page ? 0 : (top - page) / kLine * kLine;
}

std::uint64_t DumpLast(std::uint64_t size, int visibleLines) {
    const std::uint64_t shown = static_cast<std::uint64_t>(std::max(visibleLines - 5, 0)) * kLine;
    return size > shown ? size / kLine * kLine - shown : 0;
}

std::uint64_t DumpGoToMaximum(std::uint64_t size) {
    return size == 0 ? 0 : size - 1;
}

std::optional<std::u16string> DumpGoToClamp(std::u16string_view text, std::uint64_t maximum) {
    std::uint64_t value = 0;
    bool over = false;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9')
            break;
        const auto digit = static_cast<std::uint64_t>(unit - u'0');
        if (value > (UINT64_MAX - digit) / 10) {
            over = true; // beyond 64 bits: certainly above the maximum
            break;
        }
        value = value * 10 + digit;
    }
    if (!over && value <= maximum)
        return std::nullopt;
    return AsciiToU16(std::to_string(maximum));
}

std::uint64_t DumpGoToTarget(std::uint64_t address) {
    return address / kLine * kLine;
}

} // namespace vantrel
