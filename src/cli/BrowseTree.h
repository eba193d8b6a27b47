#pragma once

// The result tree of a SOURCE as the browsing commands see it, and the ways to name an
// item of it on the command line: an id path of child indexes from the drive node
// ("2/1"; a folder's files are numbered after its sub-folders) or a display path of
// names joined by "/" from the drive node.

#include "device/HandleDisk.h"
#include "device/MappedDisk.h"
#include "engine/partition/DriveNode.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel::cli {

struct BrowseSession {
    std::unique_ptr<CDiskDevice> disk;
    std::unique_ptr<CMappedDisk> mapped; // the disk seen through a rescue map, if given
    std::string mapPath;
    std::unique_ptr<DriveNode> root;
};

// Opens path read-only (through the rescue map at mapPath when not empty) and makes its
// drive node. Prints the problem and returns null when either cannot be opened.
std::unique_ptr<BrowseSession> OpenBrowseSession(const std::string& path,
                                                 const std::string& mapPath = {});

// The files besides SOURCE that the session reads (image segments, the map): a
// recovery must never replace them.
std::vector<std::string> SourceCompanions(const BrowseSession& session);

// One row of a listing: a node (folder, partition...) or a file of a folder.
struct TreeItem {
    ResultNode* node = nullptr; // the node, or the folder holding file
    FileEntry* file = nullptr;
    std::string id;
};

// True for the folders of a file system (existing or found by a scan).
bool IsFolderNode(const ResultNode& node);
// Drive and partition nodes are analysed down to the volumes; folders are left alone.
void ExpandDisks(ResultNode& node);
// The existing-folder roots of every volume, in tree order (after ExpandDisks).
std::vector<ResultNode*> ExistingFolderRoots(ResultNode& root);

std::string IdPath(const ResultNode& node); // "" for the drive node
std::string FileIdPath(const ResultNode& folder, std::size_t fileIndex);
std::string DisplayPath(const ResultNode& node);
std::string FileDisplayPath(const ResultNode& folder, const FileEntry& file);

// Resolves an id path or a display path, analysing the nodes on the way. False when
// nothing matches.
bool FindItem(ResultNode& root, const std::string& spec, TreeItem* item);
// FindItem for commands that need a file: prints why and returns false when spec names
// nothing or a folder.
bool FindFileItem(ResultNode& root, const std::string& spec, TreeItem* item);

// A name made safe for a terminal line: control characters become '?'.
std::string PrintableName(const std::u16string& name);

} // namespace vantrel::cli
