#include "engine/settings/ScanSettings.h"

#include "platform/LocalTime.h"

#include <algorithm>
#include <ctime>

namespace vantrel {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t StartOfUtcDay(std::int64_t seconds) {
    std::int64_t day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0)
        --day; // floor for times before 1970
    return day * kSecondsPerDay;
}

// Reads exactly `digits` decimal digits at text[pos].
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t digits, int* value) {
    if (pos + digits > text.size())
        return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

} // namespace

ScanSettings::ScanSettings() : ScanSettings(static_cast<std::int64_t>(std::time(nullptr))) {}

ScanSettings::ScanSettings(std::int64_t now)
    : dateFrom(StartOfUtcDay(now)), dateTo(StartOfUtcDay(now) + kSecondsPerDay - 1),
      excludePatterns(NtfsSpecialNames()) {}

const std::vector<std::u16string>& NtfsSpecialNames() {
    static const std::vector<std::u16string> names = {
        u"$MFT",
        u"$MFTMirr",
        u"$LogFile",
        u"$Volume",
        u"$AttrDef",
        u".",
        u"$Bitmap",
        u"$Boot",
        u"$BadClus",
        u"$Quota",
        u"$Secure",
        u"$UpCase",
        u"$Extend",
        u"$ObjId",
        u"$Quota",
        u"$Reparse",
        u"$UsnJrnl",
        u"$Repair",
        u"$Tops",
        u"$TxfLog.blf",
        u"$TxfLogContainer00000000000000000001",
        u"$TxfLogContainer00000000000000000002",
        u"$RmMetadata",
        u"$Txf",
        u"$TxfLog",
    };
    return names;
}

std::u16string_view FileTypeGroupName(FileTypeGroup group) {
    switch (group) {
    case FileTypeGroup::Images:
        return u"画像";
    case FileTypeGroup::Video:
        return u"動画";
    case FileTypeGroup::Audio:
        return u"音楽";
    case FileTypeGroup::Documents:
        return u"文書";
    }
    return u"";
}

const std::vector<std::u16string>& FileTypeGroupPatterns(FileTypeGroup group) {
    static const std::vector<std::u16string> images = {
        u"*.AI",   u"*.BMP",  u"*.DIB",  u"*.EMF", u"*.GIF", u"*.ICO", u"*.JPE",
        u"*.JPEG", u"*.JPG",  u"*.JFIF", u"*.PBM", u"*.PCT", u"*.PCX", u"*.PGM",
        u"*.PIC",  u"*.PICT", u"*.PNG",  u"*.PPM", u"*.PSD", u"*.PXR", u"*.RLE",
        u"*.TGA",  u"*.TIF",  u"*.TIFF", u"*.WMF",
    };
    static const std::vector<std::u16string> video = {
        u"*.3G2", u"*.3GP",  u"*.AVI", u"*.ASF",  u"*.M1V", u"*.M2V", u"*.M4V",
        u"*.MP4", u"*.MPG",  u"*.MPE", u"*.MPEG", u"*.MQV", u"*.MOV", u"*.RM",
        u"*.RV",  u"*.RMVB", u"*.QT",  u"*.VOB",  u"*.WMV",
    };
    static const std::vector<std::u16string> audio = {
        u"*.MP2",  u"*.MP3", u"*.M4A",  u"*.WMA",  u"*.WAV",
        u"*.WAVE", u"*.AIF", u"*.AIFC", u"*.AIFF", u"*.RA",
    };
    static const std::vector<std::u16string> documents = {
        u"*.DOC",   u"*.DOCM", u"*.DOCX", u"*.DOT",  u"*.EPS", u"*.HTM",  u"*.HTML", u"*.MHT",
        u"*.MHTML", u"*.PPT",  u"*.PPTM", u"*.PPTX", u"*.PPS", u"*.PPSM", u"*.PPSX", u"*.POT",
        u"*.POTM",  u"*.POTX", u"*.PDF",  u"*.RTF",  u"*.TXT", u"*.XJS",  u"*.XLA",  u"*.XLAM",
        u"*.XLS",   u"*.XLSB", u"*.XLSM", u"*.XLSX", u"*.XLT", u"*.XLTM", u"*.XLTX", u"*.XLW",
    };
    switch (group) {
    case FileTypeGroup::Images:
        return images;
    case FileTypeGroup::Video:
        return video;
    case FileTypeGroup::Audio:
        return audio;
    case FileTypeGroup::Documents:
        break;
    }
    return documents;
}

ScanSettings MakeEasySearchSettings(const EasySearchChoice& choice, std::int64_t now) {
    ScanSettings settings(now);
    settings.includePatternsOn = choice.includePatternsOn;
    settings.includePatterns.clear();
    auto append = [&](bool wanted, FileTypeGroup group) {
        if (!wanted)
            return;
        const auto& patterns = FileTypeGroupPatterns(group);
        settings.includePatterns.insert(settings.includePatterns.end(), patterns.begin(),
                                        patterns.end());
    };
    // Audio comes before video in the list, whatever the order of the check boxes.
    append(choice.images, FileTypeGroup::Images);
    append(choice.audio, FileTypeGroup::Audio);
    append(choice.video, FileTypeGroup::Video);
    append(choice.documents, FileTypeGroup::Documents);
    settings.excludePatternsOn = choice.excludePatternsOn;
    settings.excludePatterns.clear();
    if (choice.ntfsSpecialNames)
        settings.excludePatterns = NtfsSpecialNames();
    return settings;
}

std::vector<std::u16string> UniquePatterns(const std::vector<std::u16string>& patterns) {
    std::vector<std::u16string> unique;
    for (const auto& pattern : patterns)
        if (std::find(unique.begin(), unique.end(), pattern) == unique.end())
            unique.push_back(pattern);
    return unique;
}

std::uint64_t ReadSizeText(std::string_view text, std::uint64_t minimum, std::uint64_t maximum) {
    if (text.empty())
        return minimum;
    const std::string maxDigits = std::to_string(maximum);
    if (text.size() > maxDigits.size())
        return maximum;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i == text.size() || text[i] < '0' || text[i] > '9')
        return minimum;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            value = UINT64_MAX; // saturate rather than wrap
            break;
        }
        value = value * 10 + digit;
    }
    return std::clamp(value, minimum, maximum);
}

bool ReadDateText(std::string_view text, bool endOfDay, std::int64_t* seconds) {
    CalendarTime t;
    // YYYY-MM-DD (or with '/'), positions 0..9.
    if (text.size() < 10 || !ReadDigits(text, 0, 4, &t.year) || !ReadDigits(text, 5, 2, &t.month) ||
        !ReadDigits(text, 8, 2, &t.day) || (text[4] != '-' && text[4] != '/') || text[7] != text[4])
        return false;
    if (text.size() == 10) {
        if (endOfDay) {
            t.hour = 23;
            t.minute = 59;
            t.second = 59;
        }
    } else {
        // " hh:mm" or " hh:mm:ss" (also with 'T').
        if ((text[10] != ' ' && text[10] != 'T') || (text.size() != 16 && text.size() != 19) ||
            !ReadDigits(text, 11, 2, &t.hour) || text[13] != ':' ||
            !ReadDigits(text, 14, 2, &t.minute))
            return false;
        if (text.size() == 19 && (text[16] != ':' || !ReadDigits(text, 17, 2, &t.second)))
            return false;
    }
    return UtcToEpoch(t, seconds);
}

} // namespace vantrel
