#pragma once

// Names from disk turned into names that can be created inside the destination folder
// and nowhere else. Deterministic: the same names in the same order map the same way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

// Longest file-name component the destination accepts, in bytes of UTF-8 (Linux).
inline constexpr std::size_t kMaxComponentBytes = 255;

struct SafeNameOptions {
    // Also replace the characters a FAT or NTFS volume refuses (: * ? " < > |) and drop
    // the trailing dots and blanks that such a volume would strip silently.
    bool windowsRules = false;
};

// One name from disk as a single UTF-8 path component: separators, NUL and control
// characters become '_'; "", "." and ".." get a leading '_'; a name over the length
// limit is shortened, keeping its extension and adding "~" and a hash of the whole name
// so that two long names that share their beginning stay apart.
std::string SafeComponent(std::u16string_view name, const SafeNameOptions& options = {});

// Names given out in one destination folder during one run. Two entries whose names
// are equal after making them safe (or equal but for ASCII case, since the destination
// may not tell case apart) would write over each other: the later one gets " (2)",
// " (3)" ... before its extension.
class FolderNamer {
public:
    explicit FolderNamer(SafeNameOptions options = {}, std::vector<std::string> reserved = {});
    std::string Assign(std::u16string_view name);
    bool Taken(std::string_view component) const;

private:
    SafeNameOptions options_;
    std::unordered_set<std::string> taken_; // folded keys
    std::unordered_map<std::string, std::uint64_t>
        nextNumber_; // by folded key of the clashing name
};

// Splits at the extension's dot ("name", ".ext"); a name starting with its only dot has
// no extension, and neither has one whose extension would be longer than 32 bytes.
void SplitExtension(std::string_view name, std::string* stem, std::string* extension);

// stem + marker + extension, the stem shortened at a UTF-8 character boundary so that
// the whole is at most limit bytes (the extension is dropped when even it cannot fit).
std::string FitComponent(std::string_view stem, std::string_view marker, std::string_view extension,
                         std::size_t limit);

} // namespace vantrel
