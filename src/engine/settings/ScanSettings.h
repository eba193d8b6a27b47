#pragma once

// The scan settings: which entries the file lists show and which folders the tree shows.
// One master copy lives in the front end; every view keeps a copy that is replaced
// whenever the settings change. Nothing is stored between runs: every start begins with
// these defaults.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// 2^41 - 2048 bytes: the largest size the size filter offers by default.
inline constexpr std::uint64_t kDefaultMaximumSize = 2'199'023'253'504ull;

struct ScanSettings {
    // Date range of today (UTC) from the system clock.
    ScanSettings();
    // Date range of the UTC day that contains `now` (seconds since 1970).
    explicit ScanSettings(std::int64_t now);

    bool includeEmptyFiles = true;
    bool includeDeletedFiles = true;
    bool includeDeletedFolders = true;
    // How deep a folder scan analyses sub-folders.
    std::int32_t analysisDepth = 100;

    bool sizeFilterOn = false;
    std::uint64_t minimumSize = 0; // bytes, inclusive
    std::uint64_t maximumSize = kDefaultMaximumSize;

    // Seconds since 1970 (UTC), inclusive; 64-bit so that dates past 2038 work.
    bool dateFilterOn = false;
    std::int64_t dateFrom = 0; // the day's 00:00:00
    std::int64_t dateTo = 0;   // the day's 23:59:59

    bool includePatternsOn = false;
    std::vector<std::u16string> includePatterns;
    bool excludePatternsOn = true;
    std::vector<std::u16string> excludePatterns; // the NTFS special names

    bool operator==(const ScanSettings&) const = default;
};

// The NTFS metadata file names, the default exclude list: 25 entries in their fixed
// order ("$Quota" twice, "." for the root folder's own name).
const std::vector<std::u16string>& NtfsSpecialNames();

// The file-type groups of the easy search, with their patterns in order.
enum class FileTypeGroup { Images, Video, Audio, Documents };
std::u16string_view FileTypeGroupName(FileTypeGroup group); // "画像", "動画", "音楽", "文書"
const std::vector<std::u16string>& FileTypeGroupPatterns(FileTypeGroup group);

// The choices of the easy-search wizard's file-type page, with its defaults.
struct EasySearchChoice {
    bool includePatternsOn = false;
    bool images = true;
    bool video = true;
    bool audio = true;
    bool documents = true;
    bool excludePatternsOn = true;
    bool ntfsSpecialNames = true;
};

// The settings the wizard produces: defaults everywhere (dates from `now`), the checked
// groups as include patterns in the order images, audio, video, documents (filled even
// when the include switch is off), and the NTFS names as the exclude list when checked.
ScanSettings MakeEasySearchSettings(const EasySearchChoice& choice, std::int64_t now);

// A pattern list as its editor returns it: in order, each pattern once (first kept).
std::vector<std::u16string> UniquePatterns(const std::vector<std::u16string>& patterns);

// A size typed into a size field, read as the field does: empty text gives minimum, text
// longer than the maximum's decimal digits gives maximum, otherwise the leading decimal
// number clamped into [minimum, maximum] (no number at all reads as minimum).
std::uint64_t ReadSizeText(std::string_view text, std::uint64_t minimum = 0,
                           std::uint64_t maximum = UINT64_MAX);

// A date typed for the date range, read as the settings page reads its pickers: UTC
// calendar time, no zone shift. "YYYY-MM-DD" or "YYYY/MM/DD", optionally followed by a
// blank or 'T' and "hh:mm" or "hh:mm:ss". A date alone means 00:00:00, or 23:59:59 when
// endOfDay is set (so that a "to" date includes its whole day). False for anything else.
bool ReadDateText(std::string_view text, bool endOfDay, std::int64_t* seconds);

} // namespace vantrel
