#include "cli/FilterOptions.h"

#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <climits>
#include <cstdio>

namespace vantrel::cli {

namespace {

std::vector<std::u16string> SplitPatterns(const std::string& text) {
    std::vector<std::u16string> patterns;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(';', begin), text.size());
        if (end > begin)
            patterns.push_back(FromUtf8(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return patterns;
}

// "YYYY-MM-DD" as local time at the start (or the end) of that day.
bool ParseDay(const std::string& text, bool endOfDay, std::int64_t* seconds) {
    CalendarTime day;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &day.year, &day.month, &day.day, &extra) != 3)
        return false;
    if (endOfDay) {
        day.hour = 23;
        day.minute = 59;
        day.second = 59;
    }
    return LocalToEpoch(day, seconds);
}

bool ParseSize(const std::string& text, std::uint64_t* size) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *size = ReadSizeText(text);
    return true;
}

} // namespace

const std::vector<std::string>& FilterValueOptions() {
    static const std::vector<std::string> options = {"--min-size", "--max-size", "--since",
                                                     "--until",    "--include",  "--exclude"};
    return options;
}

const std::vector<std::string>& FilterFlagOptions() {
    static const std::vector<std::string> options = {"--no-deleted", "--no-empty", "--no-exclude"};
    return options;
}

const std::vector<std::string>& PolicyValueOptions() {
    static const std::vector<std::string> options = {"--overwrite", "--on-error", "--fat-limit"};
    return options;
}

const std::vector<std::string>& PolicyFlagOptions() {
    static const std::vector<std::string> options = {"--no-hash"};
    return options;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool ReadFilterOptions(const ArgParser& parser, ScanSettings* settings, std::string* error) {
    if (parser.Flag("--no-deleted"))
        settings->includeDeletedFiles = settings->includeDeletedFolders = false;
    if (parser.Flag("--no-empty"))
        settings->includeEmptyFiles = false;
    if (parser.HasValue("--min-size") || parser.HasValue("--max-size")) {
        settings->sizeFilterOn = true;
        if ((parser.HasValue("--min-size") &&
             !ParseSize(parser.Value("--min-size"), &settings->minimumSize)) ||
            (parser.HasValue("--max-size") &&
             !ParseSize(parser.Value("--max-size"), &settings->maximumSize))) {
            *error = "サイズはバイト数で指定してください";
            return false;
        }
    }
    if (parser.HasValue("--since") || parser.HasValue("--until")) {
        settings->dateFilterOn = true;
        settings->dateFrom = INT64_MIN;
        settings->dateTo = INT64_MAX;
        if ((parser.HasValue("--since") &&
             !ParseDay(parser.Value("--since"), false, &settings->dateFrom)) ||
            (parser.HasValue("--until") &&
             !ParseDay(parser.Value("--until"), true, &settings->dateTo))) {
            *error = "日付は YYYY-MM-DD で指定してください";
            return false;
        }
    }
    if (parser.HasValue("--include")) {
        settings->includePatternsOn = true;
        settings->includePatterns = SplitPatterns(parser.Value("--include"));
    }
    if (parser.HasValue("--exclude"))
        settings->excludePatterns = SplitPatterns(parser.Value("--exclude"));
    if (parser.Flag("--no-exclude"))
        settings->excludePatternsOn = false;
    return true;
}

bool ReadPolicyOptions(const ArgParser& parser, RecoverPolicy* policy, std::string* error) {
    policy->hashFiles = !parser.Flag("--no-hash");
    if (!ParseQuestionMode(parser.Value("--overwrite", "ask"), "all", "never", &policy->overwrite))
        *error = "--overwrite には ask、all、never のどれかを指定してください";
    else if (!ParseQuestionMode(parser.Value("--on-error", "ask"), "continue", "stop",
                                &policy->onError))
        *error = "--on-error には ask、continue、stop のどれかを指定してください";
    else if (!ParseQuestionMode(parser.Value("--fat-limit", "ask"), "cut", "skip",
                                &policy->fatLimit))
        *error = "--fat-limit には ask、cut、skip のどれかを指定してください";
    else
        return true;
    return false;
}

const char kFilterOptionsHelp[] =
    "フィルタ（設定の既定値: 空のファイルと削除ファイルを含め、NTFS の特殊ファイルを除外）:\n"
    "  --no-deleted        削除されたファイルとフォルダを含めません\n"
    "  --no-empty          空のファイルを含めません\n"
    "  --min-size N / --max-size N   サイズ（バイト）の範囲\n"
    "  --since YYYY-MM-DD / --until YYYY-MM-DD   更新日時の範囲（ローカル時刻）\n"
    "  --include 'P1;P2'   いずれかのパターンに一致するファイルだけを対象にします（* と ?）\n"
    "  --exclude 'P1;P2'   除外パターンを置き換えます\n"
    "  --no-exclude        除外パターンを使いません（NTFS の特殊ファイルも対象）\n";

const char kPolicyOptionsHelp[] =
    "  --overwrite ask|all|never    同じ名前のファイルがあるとき（既定 ask）\n"
    "  --on-error ask|continue|stop 回収に失敗したとき（既定 ask）\n"
    "  --fat-limit ask|cut|skip     FAT の回収先に 4GB 以上のファイルを回収するとき（既定 ask）\n"
    "  --no-hash                    manifest.jsonl に書き足す行に SHA-256 を付けません（計算は\n"
    "                               コピーより遅いことがあり、省くと大きなファイルが速く\n"
    "                               回収できます）\n"
    "ask は端末で確認します。端末がないときは安全な答え（上書きしない、続行する、4GB 以上は\n"
    "回収しない）を選び、そのことを表示します。\n";

} // namespace vantrel::cli
