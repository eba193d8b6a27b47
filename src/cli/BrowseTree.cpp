#include "cli/BrowseTree.h"

#include "cli/Command.h"
#include "cli/Source.h"
#include "device/ewf/EwfDisk.h"
#include "engine/partition/PartitionNode.h"
#include "engine/volume/FatFolderNode.h"
#include "engine/volume/NtfsFolderNode.h"
#include "platform/Utf.h"

#include <charconv>
#include <iostream>

namespace vantrel::cli {

namespace {

// Nesting of drive, partition and logical-drive nodes never goes deeper than this.
constexpr int kDiskDepth = 16;

std::size_t IndexInParent(const ResultNode& node) {
    const ResultNode* parent = node.Parent();
    for (std::size_t i = 0; parent && i < parent->ChildCount(); ++i)
        if (parent->Child(i) == &node)
            return i;
    return 0;
}

void ExpandDisksTo(ResultNode& node, int depth) {
    if (depth > kDiskDepth)
        return;
    if (dynamic_cast<DriveNode*>(&node) || dynamic_cast<PartitionNode*>(&node)) {
        AnalyseCompletely(node);
        // What the walk met (a volume cut short, a backup boot sector) goes to the log.
        for (const std::u16string& note : node.TakeNotes())
            std::cerr << PrintableName(node.Name()) << "\t" << PrintableName(note) << "\n";
    }
    for (const auto& child : node.Children())
        if (dynamic_cast<DriveNode*>(child.get()) || dynamic_cast<PartitionNode*>(child.get()))
            ExpandDisksTo(*child, depth + 1);
}

bool ParseIndex(const std::string& text, std::size_t* index) {
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *index);
    return error == std::errc() && end == text.data() + text.size();
}

bool FindById(ResultNode& root, const std::string& spec, TreeItem* item) {
    ResultNode* node = &root;
    std::size_t begin = 0;
    while (begin <= spec.size()) {
        const std::size_t slash = spec.find('/', begin);
        const std::string part =
            spec.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
        const bool last = slash == std::string::npos;
        std::size_t index = 0;
        if (!ParseIndex(part, &index))
            return false;
        AnalyseCompletely(*node);
        if (index < node->ChildCount()) {
            node = node->Child(index);
        } else if (last && index - node->ChildCount() < node->FileCount()) {
            item->node = node;
            item->file = node->File(index - node->ChildCount());
            item->id = spec;
            return true;
        } else {
            return false;
        }
        if (last)
            break;
        begin = slash + 1;
    }
    item->node = node;
    item->file = nullptr;
    item->id = IdPath(*node);
    return true;
}

// Names may hold "/" themselves (a drive is named after its device path), so a path is
// matched name by name from the node down rather than split at every "/".
bool FindByName(ResultNode& node, const std::string& rest, int depth, TreeItem* item) {
    if (rest.empty()) {
        item->node = &node;
        item->file = nullptr;
        item->id = IdPath(node);
        return true;
    }
    if (depth > 256)
        return false;
    AnalyseCompletely(node);
    for (std::size_t i = 0; i < node.FileCount(); ++i) {
        if (ToUtf8(node.File(i)->name) == rest) {
            item->node = &node;
            item->file = node.File(i);
            item->id = FileIdPath(node, i);
            return true;
        }
    }
    for (const auto& child : node.Children()) {
        const std::string name = ToUtf8(child->Name());
        if (rest.compare(0, name.size(), name) != 0)
            continue;
        if (rest.size() == name.size())
            return FindByName(*child, {}, depth + 1, item);
        if (rest[name.size()] == '/' &&
            FindByName(*child, rest.substr(name.size() + 1), depth + 1, item))
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<BrowseSession> OpenBrowseSession(const std::string& path,
                                                 const std::string& mapPath) {
    auto session = std::make_unique<BrowseSession>();
    session->disk = OpenSource(path);
    if (!session->disk)
        return nullptr;
    session->mapPath = mapPath;
    if (!mapPath.empty()) {
        session->mapped = OpenMap(*session->disk, mapPath);
        if (!session->mapped)
            return nullptr;
    }
    session->root = std::make_unique<DriveNode>();
    session->root->OpenDevice(session->mapped ? static_cast<CDiskDevice*>(session->mapped.get())
                                              : session->disk.get());
    return session;
}

std::vector<std::string> SourceCompanions(const BrowseSession& session) {
    std::vector<std::string> files;
    if (const auto* ewf = dynamic_cast<const CEwfDisk*>(session.disk.get()))
        files = ewf->Segments();
    if (!session.mapPath.empty())
        files.push_back(session.mapPath);
    return files;
}

bool IsFolderNode(const ResultNode& node) {
    return dynamic_cast<const FatFolderNode*>(&node) || dynamic_cast<const NtfsFolderNode*>(&node);
}

void ExpandDisks(ResultNode& node) {
    ExpandDisksTo(node, 0);
}

std::vector<ResultNode*> ExistingFolderRoots(ResultNode& root) {
    std::vector<ResultNode*> roots;
    for (const auto& child : root.Children()) {
        if (IsFolderNode(*child))
            roots.push_back(child.get());
        else if (dynamic_cast<DriveNode*>(child.get()) || dynamic_cast<PartitionNode*>(child.get()))
            for (ResultNode* below : ExistingFolderRoots(*child))
                roots.push_back(below);
    }
    return roots;
}

std::string IdPath(const ResultNode& node) {
    std::string path;
    for (const ResultNode* at = &node; at->Parent(); at = at->Parent())
        path = std::to_string(IndexInParent(*at)) + (path.empty() ? "" : "/" + path);
    return path;
}

std::string FileIdPath(const ResultNode& folder, std::size_t fileIndex) {
    const std::string parent = IdPath(folder);
    return (parent.empty() ? "" : parent + "/") + std::to_string(folder.ChildCount() + fileIndex);
}

std::string DisplayPath(const ResultNode& node) {
    std::string path = ToUtf8(node.Name());
    for (const ResultNode* at = node.Parent(); at; at = at->Parent())
        path = ToUtf8(at->Name()) + "/" + path;
    return path;
}

std::string FileDisplayPath(const ResultNode& folder, const FileEntry& file) {
    return DisplayPath(folder) + "/" + ToUtf8(file.name);
}

bool FindItem(ResultNode& root, const std::string& spec, TreeItem* item) {
    if (spec.empty() || spec == "." || spec == "/") {
        *item = TreeItem{&root, nullptr, ""};
        return true;
    }
    if (spec.find_first_not_of("0123456789/") == std::string::npos && spec.front() != '/')
        return FindById(root, spec, item);
    std::string rest = spec.front() == '/' ? spec.substr(1) : spec;
    const std::string rootName = ToUtf8(root.Name());
    if (rest.compare(0, rootName.size(), rootName) == 0 &&
        (rest.size() == rootName.size() || rest[rootName.size()] == '/')) {
        TreeItem found;
        const std::string below =
            rest.size() == rootName.size() ? "" : rest.substr(rootName.size() + 1);
        if (FindByName(root, below, 0, &found)) {
            *item = found;
            return true;
        }
    }
    return FindByName(root, rest, 0, item);
}

std::string PrintableName(const std::u16string& name) {
    std::u16string safe = name;
    for (char16_t& c : safe)
        if (c < 0x20 || c == 0x7F)
            c = u'?';
    return ToUtf8(safe);
}

bool FindFileItem(ResultNode& root, const std::string& spec, TreeItem* item) {
    if (!FindItem(root, spec, item)) {
        UsageError("ファイルが見つかりません: " + spec);
        return false;
    }
    if (!item->file) {
        UsageError("ファイルではありません: " + spec);
        return false;
    }
    return true;
}

} // namespace vantrel::cli
