#include "fs/fat/FatTime.h"

#include "platform/LocalTime.h"

namespace vantrel {

std::int64_t FatDateTimeToEpoch(std::uint16_t date, std::uint16_t time) {
    CalendarTime local;
    local.day = date & 0x1F;
    local.month = (date >> 5) & 0x0F;
    local.year = 1980 + (date >> 9);
    local.second = 2 * (time & 0x1F);
    local.minute = (time >> 5) & 0x3F;
    local.hour = time >> 11;
    std::int64_t seconds = 0;
    if (!LocalToEpoch(local, &seconds))
        return kUnknownFatTime;
    return seconds;
}

FatEntryTimes EntryTimes(const FatDirEntry& entry) {
    FatEntryTimes times;
    times.createTime = FatDateTimeToEpoch(entry.createDate, entry.createTime);
    times.modifyTime = FatDateTimeToEpoch(entry.writeDate, entry.writeTime);
    times.accessTime = FatDateTimeToEpoch(entry.accessDate, 0);
    return times;
}

std::int64_t FatTimeConverter::ToEpoch(std::uint16_t date, std::uint16_t time) {
    const std::uint32_t pair = (std::uint32_t{date} << 16) | time;
    const std::uint64_t key = (std::uint64_t{1} << 32) | pair;
    const std::size_t slot = (pair * 0x9E3779B1u) >> 27; // kSlots = 32
    if (keys_[slot] != key) {
        values_[slot] = FatDateTimeToEpoch(date, time);
        keys_[slot] = key;
    }
    return values_[slot];
}

FatEntryTimes FatTimeConverter::EntryTimes(const FatDirEntry& entry) {
    FatEntryTimes times;
    times.createTime = ToEpoch(entry.createDate, entry.createTime);
    times.modifyTime = ToEpoch(entry.writeDate, entry.writeTime);
    times.accessTime = ToEpoch(entry.accessDate, 0);
    return times;
}

} // namespace vantrel
