// Names from disk made safe for the destination folder: whatever the names, each result
// is one harmless path component within the length limit, and no two names of one folder
// end up the same.

#include "engine/salvage/SafeName.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

using namespace vantrel;

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

std::string Folded(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    SafeNameOptions options;
    options.windowsRules = (data[0] & 1) != 0;
    FolderNamer namer(options, {"manifest.jsonl"});
    std::set<std::string> given = {"manifest.jsonl"};
    // Code units little-endian; 0xFFFF separates names.
    std::u16string name;
    for (std::size_t i = 1; i + 1 < size + 1; i += 2) {
        const char16_t unit =
            i + 1 < size ? static_cast<char16_t>(data[i] | (data[i + 1] << 8)) : char16_t{0xFFFF};
        if (unit != 0xFFFF) {
            name += unit;
            continue;
        }
        const std::string safe = namer.Assign(name);
        Check(!safe.empty() && safe.size() <= kMaxComponentBytes);
        Check(safe != "." && safe != "..");
        for (const char c : safe) {
            const auto byte = static_cast<unsigned char>(c);
            Check(c != '/' && c != '\\' && byte >= 0x20 && byte != 0x7F);
        }
        Check(given.insert(Folded(safe)).second);
        name.clear();
    }
    return 0;
}
