#pragma once

// Running a scan method over a disk image without a worker, and looking at what it found.

#include "MemoryDisk.h"
#include "engine/tree/ScanResultNode.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

std::vector<std::uint8_t> ReadImage(const std::filesystem::path& path);

// Lines "<tag> <8-digit line number>\n" cut to size bytes, as the FAT fixtures write them.
std::vector<std::uint8_t> TaggedLines(const std::string& tag, std::size_t size);

struct ScannedDisk {
    std::unique_ptr<MemoryDisk> disk;
    CDiskWindow window;
    ScanResultNode node;
};

// A disk over bytes with a "スキャン結果" node over all of it.
std::unique_ptr<ScannedDisk> DiskOver(std::vector<std::uint8_t> bytes);

// Searches until complete; false when the search failed.
bool RunSearch(ScanResultNode& node);
// Detects until complete; false when detection failed.
bool RunDetect(ScanResultNode& node);
// The method's finishing steps, MergeDuplicates and ReconstructStep until complete.
bool RunReconstruct(ScanResultNode& node);

const ResultNode* FindFolder(const ResultNode& node, const std::u16string& name);
FileEntry* FindFile(const ResultNode& node, const std::u16string& name);
std::vector<std::uint8_t> ReadWhole(FileEntry& file);
// Names of the node's files and child folders, in order, UTF-8.
std::vector<std::string> FileNames(const ResultNode& node);
std::vector<std::string> FolderNames(const ResultNode& node);

} // namespace vantrel::testing
