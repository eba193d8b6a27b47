#include "ScanTestSupport.h"

#include "engine/tree/FileEntry.h"
#include "platform/Utf.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace vantrel::testing {

std::vector<std::uint8_t> ReadImage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::uint8_t> TaggedLines(const std::string& tag, std::size_t size) {
    std::string text;
    char line[64];
    for (int k = 0; text.size() < size; ++k) {
        std::snprintf(line, sizeof line, "%s %08d\n", tag.c_str(), k);
        text += line;
    }
    text.resize(size);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::unique_ptr<ScannedDisk> DiskOver(std::vector<std::uint8_t> bytes) {
    auto scanned = std::make_unique<ScannedDisk>();
    scanned->disk = std::make_unique<MemoryDisk>(std::move(bytes));
    if (!scanned->window.Open(scanned->disk.get(), 0, 0) ||
        !scanned->node.SetUp(&scanned->window, 0, ~0ull))
        return nullptr;
    return scanned;
}

bool RunSearch(ScanResultNode& node) {
    for (int guard = 0; guard < 10'000'000; ++guard) {
        const StepResult p = node.SearchStep();
        if (p == kStepFailed)
            return false;
        if (p >= node.RangeLength())
            return true;
    }
    return false;
}

bool RunDetect(ScanResultNode& node) {
    for (int guard = 0; guard < 10'000'000; ++guard) {
        const StepResult p = node.DetectStep();
        if (p == kStepFailed)
            return false;
        if (p >= node.RangeLength())
            return true;
    }
    return false;
}

bool RunReconstruct(ScanResultNode& node) {
    for (int guard = 0; node.FinishStep() != kStepComplete; ++guard)
        if (guard == 1'000'000)
            return false;
    node.MergeDuplicates();
    for (int guard = 0; guard < 1'000'000; ++guard) {
        const StepResult q = node.ReconstructStep();
        if (q == kStepComplete)
            return true;
        if (q == kStepFailed)
            return false;
    }
    return false;
}

const ResultNode* FindFolder(const ResultNode& node, const std::u16string& name) {
    for (const auto& child : node.Children())
        if (child->Name() == name)
            return child.get();
    return nullptr;
}

FileEntry* FindFile(const ResultNode& node, const std::u16string& name) {
    for (const auto& file : node.Files())
        if (file->name == name)
            return file.get();
    return nullptr;
}

std::vector<std::uint8_t> ReadWhole(FileEntry& file) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(file.size));
    file.readPosition = 0;
    if (!data.empty() && !file.ReadNext(data.data(), data.size()))
        return {};
    return data;
}

std::vector<std::string> FileNames(const ResultNode& node) {
    std::vector<std::string> names;
    for (const auto& file : node.Files())
        names.push_back(ToUtf8(file->name));
    return names;
}

std::vector<std::string> FolderNames(const ResultNode& node) {
    std::vector<std::string> names;
    for (const auto& child : node.Children())
        names.push_back(ToUtf8(child->Name()));
    return names;
}

} // namespace vantrel::testing
