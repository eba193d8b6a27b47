#pragma once

// The file-list rows that `ls` and `scan` print: text columns or one JSON object per
// line, through the scan settings' row filter.

#include "cli/TextFormat.h"
#include "engine/settings/PatternMatch.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/ResultNode.h"

#include <optional>
#include <string>

namespace vantrel::cli {

// A folder's ID path and display path, worked out once for all its rows.
struct FolderPaths {
    std::string id;
    std::string display;
};

struct FileListing {
    bool recursive = false;
    bool json = false;
    bool withFirstLba = false; // scan results say where each find starts
    int maxDepth = 100;
    const RowFilter* filter = nullptr;
    std::string relativeBase; // display path the text rows are shown relative to
    // Frees each sub-folder's folders and files once they are printed: a one-shot listing
    // of a large volume then holds one branch at a time, not the whole tree.
    bool releaseListed = false;
    // What the JSON rows are put together in, kept from row to row: a scan prints tens
    // of thousands of rows, mostly with the same few times.
    struct RowScratch {
        std::string row;
        std::string utf8;
        std::string escapedName;
        JsonTimeCache times;
        // The folder of the last row, its paths as given and escaped: the rows of one
        // folder follow one another.
        FolderPaths folder;
        FolderPaths escapedFolder;
        std::optional<int> condition; // the condition whose escaped text conditionText is
        std::string conditionText;
    };
    mutable RowScratch scratch;
};

bool PassesFile(const RowFilter& filter, const FileEntry& file);

// A listing over settings; the filter must outlive the listing.
FileListing MakeFileListing(const RowFilter& filter);

void PrintListingHeader();
void PrintFolderRow(const FileListing& listing, const ResultNode& folder);
void PrintFileRow(const FileListing& listing, const ResultNode& folder, std::size_t index);
void PrintFolderRow(const FileListing& listing, const ResultNode& folder, const FolderPaths& paths);
// The file at index of folder, whose own paths are folderPaths.
void PrintFileRow(const FileListing& listing, const ResultNode& folder,
                  const FolderPaths& folderPaths, std::size_t index);
// The node's folders and files that pass the filter, analysing on demand. Folders that
// point back up the tree are never added by analysis, and the depth is bounded.
void ListNode(const FileListing& listing, ResultNode& node, int depth);

} // namespace vantrel::cli
