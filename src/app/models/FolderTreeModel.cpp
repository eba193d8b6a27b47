#include "app/models/FolderTreeModel.h"

#include "app/models/FileRow.h"
#include "engine/settings/RowFilter.h"
#include "skin/ShellIconList.h"

#include <QColor>

namespace vantrel {

FolderTreeItem::FolderTreeItem(FolderTreeItem* parent, ResultNode* node, bool placeholder)
    : parent_(parent), placeholder_(placeholder) {
    SetNode(node);
    SetItem(this);
    label_ = placeholder ? QStringLiteral("解析中...") : node ? ToQString(node->Name()) : QString();
}

FolderTreeItem::~FolderTreeItem() = default;

int FolderTreeItem::Row() const {
    if (!parent_)
        return 0;
    const auto& siblings = parent_->children_;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return static_cast<int>(i);
    return 0;
}

bool FolderTreeItem::IsDiskItem() const {
    ResultNode* node = Node();
    return node && node->GetWindow() && !node->IsScanTarget();
}

bool FolderTreeItem::CanBeScanned() const {
    const ResultNode* node = Node();
    return node && node->IsScanTarget();
}

bool FolderTreeItem::HasFoldersOrFiles() const {
    const ResultNode* node = Node();
    return node && (node->ChildCount() != 0 || node->FileCount() != 0);
}

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

FolderTreeModel::~FolderTreeModel() {
    // Records join their workers when deleted; the tree has stopped them before.
    invisibleRoot_.children_.clear();
}

void FolderTreeModel::setSink(RequestSink* sink, void* treeWindow) {
    sink_ = sink;
    treeWindow_ = treeWindow;
}

void FolderTreeModel::setSettings(const ScanSettings& settings) {
    settings_ = settings;
}

std::unique_ptr<FolderTreeItem> FolderTreeModel::makeItem(FolderTreeItem* parent, ResultNode* node,
                                                          bool placeholder) {
    auto item = std::make_unique<FolderTreeItem>(parent, node, placeholder);
    item->SetSink(sink_, treeWindow_);
    item->SetSettings(&settings_);
    live_.insert(item.get());
    return item;
}

void FolderTreeModel::setExpanded(QModelIndex index, bool expanded) {
    const FolderTreeItem* item = itemAt(index);
    if (!item)
        return;
    if (expanded)
        expanded_.insert(item);
    else
        expanded_.remove(item);
    emit dataChanged(index, index, {Qt::DecorationRole});
}

void FolderTreeModel::forget(FolderTreeItem& item) {
    live_.erase(&item);
    expanded_.remove(&item);
    for (auto& child : item.children_)
        forget(*child);
}

FolderTreeItem* FolderTreeModel::rootItem() const {
    return invisibleRoot_.children_.empty() ? nullptr : invisibleRoot_.children_.front().get();
}

void FolderTreeModel::setRootNode(std::unique_ptr<ResultNode> node) {
    beginResetModel();
    forget(invisibleRoot_);
    invisibleRoot_.children_.clear();
    rootNode_ = std::move(node);
    if (rootNode_) {
        invisibleRoot_.children_.push_back(makeItem(&invisibleRoot_, rootNode_.get(), false));
        auto& root = *invisibleRoot_.children_.back();
        root.children_.push_back(makeItem(&root, nullptr, true));
    }
    endResetModel();
}

void FolderTreeModel::addPlaceholder(FolderTreeItem* item) {
    const int at = static_cast<int>(item->children_.size());
    beginInsertRows(indexOf(item), at, at);
    item->children_.push_back(makeItem(item, nullptr, true));
    endInsertRows();
}

void FolderTreeModel::insertNewChildren(FolderTreeItem* item) {
    ResultNode* node = item ? item->Node() : nullptr;
    if (!node)
        return;
    const QModelIndex parentIndex = indexOf(item);
    for (; item->insertedChildren < node->ChildCount(); ++item->insertedChildren) {
        ResultNode* child = node->Child(item->insertedChildren);
        if (!child || !ShowsFolder(settings_, child->IsDeleted(), child->IsScanTarget()))
            continue;
        const int at = static_cast<int>(item->children_.size());
        beginInsertRows(parentIndex, at, at);
        item->children_.push_back(makeItem(item, child, false));
        endInsertRows();
        auto& added = *item->children_.back();
        added.children_.push_back(makeItem(&added, nullptr, true));
    }
    for (int row = static_cast<int>(item->children_.size()) - 1; row >= 0; --row) {
        if (!item->children_[static_cast<std::size_t>(row)]->placeholder_)
            continue;
        beginRemoveRows(parentIndex, row, row);
        forget(*item->children_[static_cast<std::size_t>(row)]);
        item->children_.erase(item->children_.begin() + row);
        endRemoveRows();
    }
}

void FolderTreeModel::resetChildren(FolderTreeItem* item) {
    if (!item)
        return;
    if (!item->children_.empty()) {
        beginRemoveRows(indexOf(item), 0, static_cast<int>(item->children_.size()) - 1);
        for (auto& child : item->children_)
            forget(*child);
        item->children_.clear();
        endRemoveRows();
    }
    item->insertedChildren = 0;
    addPlaceholder(item);
}

FolderTreeItem* FolderTreeModel::itemAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<FolderTreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const FolderTreeItem* item) const {
    if (!item || item == &invisibleRoot_)
        return {};
    return createIndex(item->Row(), 0, const_cast<FolderTreeItem*>(item));
}

bool FolderTreeModel::isLive(const TreeItemRecord* record) const {
    return live_.count(record) != 0;
}

void FolderTreeModel::forEach(FolderTreeItem* item,
                              const std::function<void(FolderTreeItem&)>& visit) const {
    if (!item)
        return;
    visit(*item);
    for (auto& child : item->children_)
        forEach(child.get(), visit);
}

bool FolderTreeModel::holdsResults() const {
    FolderTreeItem* root = rootItem();
    if (!root)
        return false;
    bool found = false;
    for (auto& child : root->children_)
        forEach(child.get(), [&found](FolderTreeItem& item) {
            const ResultNode* node = item.Node();
            if (node && (item.HasFoldersOrFiles() || (node->IsAnalysed() && !node->IsScanTarget())))
                found = true;
        });
    return found;
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const FolderTreeItem* owner = parent.isValid() ? itemAt(parent) : &invisibleRoot_;
    if (static_cast<std::size_t>(row) >= owner->children_.size())
        return {};
    return createIndex(row, 0, owner->children_[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const FolderTreeItem* item = itemAt(child);
    if (!item || !item->parent_ || item->parent_ == &invisibleRoot_)
        return {};
    return indexOf(item->parent_);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const FolderTreeItem* owner = parent.isValid() ? itemAt(parent) : &invisibleRoot_;
    return static_cast<int>(owner->children_.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QIcon FolderTreeModel::iconFor(const FolderTreeItem& item, bool expanded) const {
    ShellIconList& icons = ShellIconList::instance();
    ResultNode* node = item.Node();
    if (item.IsPlaceholder() || (node && node->IsScanTarget()))
        return icons.icon(ShellIconList::kScanResult);
    CDiskWindow* window = node ? node->GetWindow() : nullptr;
    if (!window)
        return icons.icon(expanded ? ShellIconList::kFolderOpen : ShellIconList::kFolderClosed);
    if (!window->WholeDevice() || !window->Device())
        return icons.icon(ShellIconList::kHardDisk);
    // A whole device: the icon of its kind.
    CDiskDevice* device = window->Device();
    DeviceIdentity identity;
    if (!device->GetIdentity(&identity))
        return icons.icon(ShellIconList::kHardDisk);
    return icons.icon(icons.iconForDevice(identity.peripheralType, identity.removable != 0,
                                          device->GetDriveKind() == kDriveFloppy));
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const FolderTreeItem* item = itemAt(index);
    if (!item)
        return {};
    const ResultNode* node = item->Node();
    const bool ghosted = node && node->IsDeleted() && !node->IsScanTarget();
    switch (role) {
    case Qt::DisplayRole:
        return item->Label();
    case Qt::DecorationRole: {
        const QIcon icon = iconFor(*item, expanded_.contains(item));
        // A deleted folder is ghosted, like a cut item.
        return ghosted ? QIcon(icon.pixmap(16, QIcon::Disabled)) : icon;
    }
    case Qt::ForegroundRole:
        return ghosted ? QVariant(QColor(160, 160, 160)) : QVariant();
    default:
        return {};
    }
}

} // namespace vantrel
