#pragma once

// The file-list rows that `ls` and `scan` print: text columns or one JSON object per
// line, through the scan settings' row filter.

#include "engine/settings/PatternMatch.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/ResultNode.h"

#include <string>

namespace vantrel::cli {

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
};

// A folder's ID path and display path, worked out once for all its rows.
struct FolderPaths {
    std::string id;
    std::string display;
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
