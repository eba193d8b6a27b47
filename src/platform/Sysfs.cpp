#include "platform/Sysfs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Stacked devices (device-mapper on md on a partition) are followed this deep at most,
// which also ends any cycle a broken tree could hold.
constexpr int kMaxHolderDepth = 4;

// First line of a small attribute file, trailing blanks and newline removed.
std::string ReadAttribute(const fs::path& path) {
    std::ifstream in(path);
    if (!in)
        return {};
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::vector<std::string> ListNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

template <typename T>
bool ParseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

std::string LinkName(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.filename().string();
}

// The device numbers of every device stacked on the named one.
void CollectHolders(const fs::path& blockClass, const fs::path& folder, int depth,
                    BlockDeviceEntry& entry) {
    if (depth >= kMaxHolderDepth)
        return;
    for (const std::string& holder : ListNames(folder / "holders")) {
        if (std::find(entry.heldNames.begin(), entry.heldNames.end(), holder) !=
            entry.heldNames.end())
            continue;
        const std::string dev = ReadAttribute(blockClass / holder / "dev");
        if (dev.empty())
            continue;
        entry.heldNames.push_back(holder);
        entry.heldDevs.push_back(dev);
        CollectHolders(blockClass, blockClass / holder, depth + 1, entry);
    }
}

BlockDeviceEntry ReadEntry(const fs::path& root, const std::string& name) {
    const fs::path folder = root / "block" / name;
    BlockDeviceEntry entry;
    entry.name = name;
    entry.dev = ReadAttribute(folder / "dev");
    entry.removable = ReadAttribute(folder / "removable") == "1";
    ParseNumber(ReadAttribute(folder / "size"), entry.sizeSectors);
    const fs::path device = folder / "device";
    entry.hasDevice = Exists(device);
    if (entry.hasDevice) {
        entry.vendor = ReadAttribute(device / "vendor");
        entry.model = ReadAttribute(device / "model");
        if (entry.model.empty())
            entry.model = ReadAttribute(device / "name");
        entry.revision = ReadAttribute(device / "rev");
        if (entry.revision.empty())
            entry.revision = ReadAttribute(device / "firmware_rev");
        int type = -1;
        if (ParseNumber(ReadAttribute(device / "type"), type))
            entry.scsiType = type;
        entry.modalias = ReadAttribute(device / "modalias");
        entry.driver = LinkName(device / "driver");
    }
    entry.backingFile = ReadAttribute(folder / "loop" / "backing_file");

    // Partitions are the subfolders that hold a "partition" attribute.
    const fs::path blockClass = root / "block"; // holders are whole devices
    for (const std::string& child : ListNames(folder)) {
        const fs::path sub = folder / child;
        if (!Exists(sub / "partition"))
            continue;
        const std::string dev = ReadAttribute(sub / "dev");
        if (!dev.empty()) {
            entry.heldNames.push_back(child);
            entry.heldDevs.push_back(dev);
        }
        CollectHolders(blockClass, sub, 0, entry);
    }
    CollectHolders(blockClass, folder, 0, entry);
    return entry;
}

// "\040" style octal escapes of mountinfo fields.
std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string digits = text.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                                (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

} // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            // Compare digit runs by value: strip leading zeros, then length, then text.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int cmp = a.compare(si, ei - si, b, sj, ej - sj);
            if (cmp != 0)
                return cmp < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    // "sda" before "sdaa": the shorter name, a prefix of the other, comes first.
    return a.size() - i < b.size() - j;
}

std::vector<BlockDeviceEntry> ListBlockDevices(const std::string& sysfsRoot) {
    std::vector<BlockDeviceEntry> devices;
    for (const std::string& name : ListNames(fs::path(sysfsRoot) / "block"))
        devices.push_back(ReadEntry(sysfsRoot, name));
    return devices;
}

std::optional<BlockDeviceEntry> ReadBlockDevice(const std::string& sysfsRoot,
                                                const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        !Exists(fs::path(sysfsRoot) / "block" / name / "dev"))
        return std::nullopt;
    return ReadEntry(sysfsRoot, name);
}

std::vector<ScsiGenericEntry> ListScsiGeneric(const std::string& sysfsRoot) {
    std::vector<ScsiGenericEntry> list;
    const fs::path folder = fs::path(sysfsRoot) / "class" / "scsi_generic";
    for (const std::string& name : ListNames(folder)) {
        // The device link ends in the address, "H:C:T:L".
        const std::string address = LinkName(folder / name / "device");
        ScsiGenericEntry entry;
        entry.name = name;
        std::istringstream in(address);
        std::string part;
        int fields[4] = {-1, -1, -1, -1};
        int count = 0;
        while (count < 4 && std::getline(in, part, ':')) {
            if (!ParseNumber(part, fields[count]))
                break;
            ++count;
        }
        if (count != 4 || in.rdbuf()->in_avail() > 0)
            continue;
        entry.host = fields[0];
        entry.channel = fields[1];
        entry.target = fields[2];
        entry.lun = fields[3];
        const std::vector<std::string> blocks = ListNames(folder / name / "device" / "block");
        if (!blocks.empty())
            entry.blockName = blocks.front();
        list.push_back(entry);
    }
    return list;
}

int ScsiHostCount(const std::string& sysfsRoot) {
    int highest = -1;
    for (const std::string& name : ListNames(fs::path(sysfsRoot) / "class" / "scsi_host")) {
        int number = -1;
        if (name.rfind("host", 0) == 0 && ParseNumber(name.substr(4), number) && number >= 0)
            highest = std::max(highest, number);
    }
    return std::min(highest + 1, 255);
}

bool ParseMountInfoLine(const std::string& line, MountEntry& entry) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    std::string field;
    while (in >> field)
        fields.push_back(field);
    // id, parent, major:minor, root, mount point, options, optional fields..., "-",
    // fs type, source, super options
    const auto separator = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 7 || separator == fields.end() || separator - fields.begin() < 6 ||
        fields.end() - separator < 3)
        return false;
    entry.dev = fields[2];
    entry.mountPoint = Unescape(fields[4]);
    entry.source = Unescape(*(separator + 2));
    return entry.dev.find(':') != std::string::npos;
}

std::vector<MountEntry> ReadMountInfo(const std::string& path) {
    std::vector<MountEntry> mounts;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        MountEntry entry;
        if (ParseMountInfoLine(line, entry))
            mounts.push_back(entry);
    }
    return mounts;
}

} // namespace vantrel
