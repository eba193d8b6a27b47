#include "cli/FileListing.h"

#include "cli/BrowseTree.h"
#include "cli/TextFormat.h"
#include "engine/settings/ColumnText.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/FatFolderNode.h"
#include "platform/Utf.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <iostream>

namespace vantrel::cli {

namespace {

std::string RelativePath(const FileListing& listing, const std::string& path) {
    const std::string& base = listing.relativeBase;
    if (base.empty() || path.compare(0, base.size(), base) != 0)
        return path;
    return path.substr(std::min(path.size(), base.size() + 1));
}

std::string FirstLbaJson(std::uint64_t lba) {
    return lba == ~std::uint64_t{0} ? "null" : std::to_string(lba);
}

bool ShowsFile(const FileListing& listing, const FileEntry& file) {
    return PassesFile(*listing.filter, file);
}

bool ShowsFolder(const FileListing& listing, const ResultNode& folder) {
    return listing.filter->PassesFolder(folder.Name(), folder.IsDeleted(), folder.IsScanTarget());
}

FolderPaths PathsOf(const ResultNode& folder) {
    return {IdPath(folder), DisplayPath(folder)};
}

template <typename Integer>
void AppendDecimal(std::string& out, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

// The same as ==, compared as bytes (char16_t comparison goes unit by unit).
bool SameUnits(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

// text's UTF-8, escaped, appended to the scratch row.
void AppendEscapedUtf16(FileListing::RowScratch& scratch, std::u16string_view text) {
    scratch.utf8.clear();
    AppendUtf8(scratch.utf8, text);
    AppendJsonEscaped(scratch.row, scratch.utf8);
}

// The ID of the item at index below a folder whose ID is parentId (empty for the root).
std::string ItemId(const std::string& parentId, std::size_t index) {
    return parentId.empty() ? std::to_string(index) : parentId + "/" + std::to_string(index);
}

// Lists node, whose paths are known: every row's path grows from its folder's instead of
// being walked up the tree, which costs a search among siblings at every level.
void ListBelow(const FileListing& listing, ResultNode& node, const FolderPaths& paths, int depth) {
    AnalyseCompletely(node);
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        ResultNode& child = *node.Child(i);
        if (!ShowsFolder(listing, child))
            continue;
        const FolderPaths childPaths{ItemId(paths.id, i),
                                     paths.display + "/" + ToUtf8(child.Name())};
        PrintFolderRow(listing, child, childPaths);
        if (listing.recursive && depth < listing.maxDepth) {
            ListBelow(listing, child, childPaths, depth + 1);
            if (listing.releaseListed) {
                child.ClearChildren();
                child.ClearFiles();
            }
        }
    }
    for (std::size_t i = 0; i < node.FileCount(); ++i)
        if (ShowsFile(listing, *node.File(i)))
            PrintFileRow(listing, node, paths, i);
}

} // namespace

bool PassesFile(const RowFilter& filter, const FileEntry& file) {
    FilterRow row;
    row.name = file.name;
    row.size = file.size;
    row.deleted = file.deleted;
    row.condition = file.condition;
    row.modifyTime = file.modifyTime;
    return filter.Passes(row);
}

FileListing MakeFileListing(const RowFilter& filter) {
    FileListing listing;
    listing.filter = &filter;
    listing.maxDepth = filter.Settings().analysisDepth;
    return listing;
}

void PrintListingHeader() {
    std::cout << "ID\t削除\t" << ToUtf8(FileListColumnHeader(kColumnName)) << "\t"
              << ToUtf8(FileListColumnHeader(kColumnSize)) << "\t"
              << ToUtf8(FileListColumnHeader(kColumnCondition)) << "\t"
              << ToUtf8(FileListColumnHeader(kColumnModified)) << "\n";
}

void PrintFolderRow(const FileListing& listing, const ResultNode& folder) {
    PrintFolderRow(listing, folder, PathsOf(folder));
}

void PrintFolderRow(const FileListing& listing, const ResultNode& folder,
                    const FolderPaths& paths) {
    const std::string& path = paths.display;
    if (!listing.json) {
        std::cout << paths.id << "\t" << (folder.IsDeleted() ? "*" : " ") << "\t"
                  << PrintableName(FromUtf8(RelativePath(listing, path))) << "/\t\tフォルダ\t\n";
        return;
    }
    const FileEntry* data = nullptr;
    if (const auto* fat = dynamic_cast<const FatFolderNode*>(&folder))
        data = &fat->DirectoryData();
    std::cout << "{\"path\":" << JsonString(path) << ",\"id\":" << JsonString(paths.id)
              << ",\"name\":" << JsonString(ToUtf8(folder.Name()))
              << ",\"type\":\"folder\",\"size\":0,\"deleted\":"
              << (folder.IsDeleted() ? "true" : "false")
              << ",\"condition\":null,\"condition_text\":null,\"modified\":"
              << JsonTime(data ? data->modifyTime : FileTime{})
              << ",\"created\":" << JsonTime(data ? data->createTime : FileTime{})
              << ",\"accessed\":" << JsonTime(data ? data->accessTime : FileTime{});
    if (listing.withFirstLba)
        std::cout << ",\"first_lba\":" << FirstLbaJson(data ? data->extents.FirstLba() : ~0ull);
    std::cout << "}\n";
}

void PrintFileRow(const FileListing& listing, const ResultNode& folder, std::size_t index) {
    PrintFileRow(listing, folder, PathsOf(folder), index);
}

void PrintFileRow(const FileListing& listing, const ResultNode& folder,
                  const FolderPaths& folderPaths, std::size_t index) {
    const FileEntry* entry = folder.File(index);
    if (!entry) // an index past the folder's files names no row
        return;
    const FileEntry& file = *entry;
    const std::size_t itemIndex = folder.ChildCount() + index;
    if (!listing.json) {
        const std::string path = folderPaths.display + "/" + ToUtf8(file.name);
        std::cout << ItemId(folderPaths.id, itemIndex) << "\t" << (file.deleted ? "*" : " ") << "\t"
                  << PrintableName(FromUtf8(RelativePath(listing, path))) << "\t"
                  << ToUtf8(SizeColumnText(file.size)) << "\t" << FileConditionText(file.condition)
                  << "\t" << ToUtf8(DateTimeText(file.modifyTime)) << "\n";
        return;
    }
    // The row is put together in place and written at once: a scan lists tens of
    // thousands. Path and ID are escaped piece by piece rather than built first, the
    // folder's part once for all its rows.
    FileListing::RowScratch& scratch = listing.scratch;
    std::string& row = scratch.row;
    row.clear();
    scratch.utf8.clear();
    AppendUtf8(scratch.utf8, file.name);
    scratch.escapedName.clear();
    AppendJsonEscaped(scratch.escapedName, scratch.utf8);
    if (scratch.folder.display != folderPaths.display || scratch.folder.id != folderPaths.id) {
        scratch.folder = folderPaths;
        scratch.escapedFolder = {};
        AppendJsonEscaped(scratch.escapedFolder.display, folderPaths.display);
        AppendJsonEscaped(scratch.escapedFolder.id, folderPaths.id);
    }
    row.append("{\"path\":\"").append(scratch.escapedFolder.display);
    row.push_back('/');
    row.append(scratch.escapedName);
    row.append("\",\"id\":\"").append(scratch.escapedFolder.id);
    if (!folderPaths.id.empty())
        row.push_back('/');
    AppendDecimal(row, itemIndex);
    row.append("\",\"name\":\"").append(scratch.escapedName);
    row.append("\",\"type\":\"file\",\"size\":");
    AppendDecimal(row, file.size);
    row.append(",\"deleted\":").append(file.deleted ? "true" : "false");
    row.append(",\"condition\":");
    AppendDecimal(row, file.condition);
    if (scratch.condition != file.condition) {
        scratch.condition = file.condition;
        scratch.conditionText.clear();
        AppendJsonEscaped(scratch.conditionText, FileConditionText(file.condition));
    }
    row.append(",\"condition_text\":\"").append(scratch.conditionText);
    row.append("\",\"modified\":");
    scratch.times.Append(row, file.modifyTime);
    row.append(",\"created\":");
    scratch.times.Append(row, file.createTime);
    row.append(",\"accessed\":");
    scratch.times.Append(row, file.accessTime);
    if (!file.carvedName.empty()) { // the start-sector name of a carved file
        row.append(",\"carved_name\":\"");
        if (SameUnits(file.carvedName, file.name)) // as the files of a scan mostly are
            row.append(scratch.escapedName);
        else
            AppendEscapedUtf16(scratch, file.carvedName);
        row.push_back('"');
    }
    if (!file.originalFolder.empty()) {
        row.append(",\"original_folder\":\"");
        AppendEscapedUtf16(scratch, file.originalFolder);
        row.push_back('"');
    }
    if (file.unreadBytes != 0) { // data in areas the rescue map says were not read
        row.append(",\"unread_bytes\":");
        AppendDecimal(row, file.unreadBytes);
    }
    if (listing.withFirstLba) {
        row.append(",\"first_lba\":");
        const std::uint64_t lba = file.extents.FirstLba();
        if (lba == ~std::uint64_t{0})
            row.append("null");
        else
            AppendDecimal(row, lba);
    }
    row.append("}\n");
    std::cout.write(row.data(), static_cast<std::streamsize>(row.size()));
}

void ListNode(const FileListing& listing, ResultNode& node, int depth) {
    ListBelow(listing, node, PathsOf(node), depth);
}

} // namespace vantrel::cli
