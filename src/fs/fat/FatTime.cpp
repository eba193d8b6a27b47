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

} // namespace vantrel
