#include "device/RescueMap.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace vantrel {

namespace {

constexpr std::uint64_t kNoEnd = std::numeric_limits<std::uint64_t>::max();

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const std::size_t begin = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > begin)
            fields.push_back(line.substr(begin, i - begin));
    }
    return fields;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// A non-negative C integer: "0x1F", "017" or "15".
bool ParseNumber(std::string_view text, std::uint64_t* value) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    std::uint64_t v = 0;
    for (const char c : text) {
        const auto digit = static_cast<unsigned>(DigitValue(c));
        if (digit >= base || v > (kNoEnd - digit) / base)
            return false;
        v = v * base + digit;
    }
    *value = v;
    return true;
}

bool IsBlockStatus(std::string_view s) {
    return s.size() == 1 && std::string_view("?*/-+").find(s[0]) != std::string_view::npos;
}

bool IsCurrentStatus(std::string_view s) {
    return s.size() == 1 && std::string_view("?*/-FG+").find(s[0]) != std::string_view::npos;
}

bool Fail(RescueMapProblem* problem, std::size_t line, std::string reason) {
    if (problem)
        *problem = {line, std::move(reason)};
    return false;
}

} // namespace

bool RescueMap::Parse(std::string_view text, RescueMap* map, RescueMapProblem* problem) {
    RescueMap parsed;
    bool havePosition = false;
    std::size_t lineNumber = 0;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        if (line.find('\0') != std::string_view::npos)
            return Fail(problem, lineNumber, "テキストではありません（NUL 文字があります）");
        const auto fields = Fields(line);
        if (fields.empty() || fields[0][0] == '#')
            continue;
        if (!havePosition) {
            // pos status [pass]
            std::uint64_t pass = 1;
            if (fields.size() < 2 || fields.size() > 3 ||
                !ParseNumber(fields[0], &parsed.currentPos_) || !IsCurrentStatus(fields[1]) ||
                (fields.size() == 3 && !ParseNumber(fields[2], &pass)))
                return Fail(problem, lineNumber,
                            "現在位置の行（位置 状態 [パス]）として読めません");
            parsed.currentStatus_ = fields[1][0];
            havePosition = true;
            continue;
        }
        RescueBlock block;
        if (fields.size() != 3)
            return Fail(problem, lineNumber, "位置 大きさ 状態 の 3 項目が必要です");
        if (!ParseNumber(fields[0], &block.pos) || !ParseNumber(fields[1], &block.size))
            return Fail(problem, lineNumber, "位置または大きさが数値として読めません");
        if (!IsBlockStatus(fields[2]))
            return Fail(problem, lineNumber, "状態は ?, *, /, -, + のいずれかです");
        if (block.size == 0)
            return Fail(problem, lineNumber, "大きさが 0 です");
        if (block.size > kNoEnd - block.pos)
            return Fail(problem, lineNumber, "領域が 64 ビットの範囲を超えています");
        if (!parsed.blocks_.empty() && block.pos != parsed.End())
            return Fail(problem, lineNumber,
                        block.pos < parsed.End() ? "前の領域と重なっています"
                                                 : "前の領域との間があいています");
        block.status = fields[2][0];
        if (!parsed.blocks_.empty() && parsed.blocks_.back().status == block.status)
            parsed.blocks_.back().size += block.size;
        else
            parsed.blocks_.push_back(block);
    }
    if (!havePosition)
        return Fail(problem, 0, "現在位置の行がありません");
    if (parsed.blocks_.empty())
        return Fail(problem, 0, "領域の行がありません");
    parsed.CollectUnread();
    *map = std::move(parsed);
    return true;
}

void RescueMap::CollectUnread() {
    unread_.clear();
    auto add = [this](std::uint64_t from, std::uint64_t to) {
        if (from >= to)
            return;
        if (!unread_.empty() && unread_.back().second == from)
            unread_.back().second = to;
        else
            unread_.emplace_back(from, to);
    };
    add(0, blocks_.empty() ? kNoEnd : blocks_.front().pos);
    for (const RescueBlock& block : blocks_)
        if (block.status != '+')
            add(block.pos, block.pos + block.size);
    add(End(), kNoEnd);
}

bool RescueMap::ClipTo(std::uint64_t byteSize) {
    if (End() <= byteSize)
        return false;
    while (!blocks_.empty() && blocks_.back().pos >= byteSize)
        blocks_.pop_back();
    if (!blocks_.empty() && End() > byteSize)
        blocks_.back().size = byteSize - blocks_.back().pos;
    CollectUnread();
    return true;
}

std::uint64_t RescueMap::UnreadSectorsIn(std::uint64_t lba, std::uint64_t count,
                                         std::uint32_t sectorSize) const {
    if (count == 0 || sectorSize == 0)
        return 0;
    const std::uint64_t lastSector = kNoEnd / sectorSize; // sectors past this hold no byte
    const std::uint64_t first = std::min(lba, lastSector);
    const std::uint64_t stop = count > lastSector - first ? lastSector + 1 : first + count;
    const std::uint64_t from = first * sectorSize;
    // The first range that ends after from.
    auto it = std::upper_bound(
        unread_.begin(), unread_.end(), from,
        [](std::uint64_t value, const auto& range) { return value < range.second; });
    std::uint64_t counted = 0;
    std::uint64_t next = first; // sectors below next are already counted
    for (; it != unread_.end(); ++it) {
        const std::uint64_t a = std::max(it->first / sectorSize, next);
        if (a >= stop)
            break;
        const std::uint64_t lastByte = it->second - 1;
        const std::uint64_t b = std::min(lastByte / sectorSize + 1, stop);
        if (b > a) {
            counted += b - a;
            next = b;
        }
    }
    return counted;
}

std::string FormatRescueMap(const std::vector<RescueBlock>& blocks, std::uint64_t currentPos,
                            char currentStatus, std::string_view commentLine) {
    std::string out = "# Mapfile.";
    if (!commentLine.empty()) {
        out += " ";
        out += commentLine;
    }
    out += "\n# current_pos  current_status  current_pass\n";
    char line[96];
    std::snprintf(line, sizeof line, "0x%08llX     %c               1\n",
                  static_cast<unsigned long long>(currentPos), currentStatus);
    out += line;
    out += "#      pos        size  status\n";
    for (const RescueBlock& block : blocks) {
        std::snprintf(line, sizeof line, "0x%08llX  0x%08llX  %c\n",
                      static_cast<unsigned long long>(block.pos),
                      static_cast<unsigned long long>(block.size), block.status);
        out += line;
    }
    return out;
}

} // namespace vantrel
