#pragma once

// The folder tree's model over the engine's result tree. Every item is a record
// (FolderTreeItem) that carries its worker, job state and node; an item's children are
// inserted when its node has been analysed, and until then it holds one placeholder child
// "解析中..." so that it can be expanded. Removing items deletes their records, so the
// caller stops their workers first (the tree's deletion protocol).

#include "engine/request/TreeItemRecord.h"
#include "engine/settings/ScanSettings.h"
#include "engine/tree/ResultNode.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace vantrel {

class FolderTreeItem : public TreeItemRecord {
public:
    FolderTreeItem(FolderTreeItem* parent, ResultNode* node, bool placeholder);
    ~FolderTreeItem() override;

    FolderTreeItem* Parent() const { return parent_; }
    bool IsPlaceholder() const { return placeholder_; }
    const std::vector<std::unique_ptr<FolderTreeItem>>& Children() const { return children_; }
    int Row() const;
    const QString& Label() const { return label_; }
    // How many of the node's children have been taken as items.
    std::size_t insertedChildren = 0;

    // A drive or partition item: its node has a window of its own and is no scan area.
    bool IsDiskItem() const;
    bool CanBeScanned() const;
    bool HasFoldersOrFiles() const;

private:
    friend class FolderTreeModel;
    FolderTreeItem* parent_;
    bool placeholder_;
    QString label_;
    std::vector<std::unique_ptr<FolderTreeItem>> children_;
};

class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Where the records' workers post, and the settings they and the tree read.
    void setSink(RequestSink* sink, void* treeWindow);
    void setSettings(const ScanSettings& settings);
    const ScanSettings& settings() const { return settings_; }

    // Replaces everything by one root item for node (owned from now on); null empties
    // the tree. Every worker must have ended.
    void setRootNode(std::unique_ptr<ResultNode> node);
    ResultNode* rootNode() const { return rootNode_.get(); }
    FolderTreeItem* rootItem() const;

    // Takes the node's children from the item's count onward (those the settings show),
    // then removes the placeholders.
    void insertNewChildren(FolderTreeItem* item);
    // Removes every child item and puts the placeholder back (count 0). The children's
    // workers must have ended.
    void resetChildren(FolderTreeItem* item);

    FolderTreeItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(const FolderTreeItem* item) const;
    // True when record is an item of this tree (a request may name one that is gone).
    bool isLive(const TreeItemRecord* record) const;
    // The item and every item below it, parents before children.
    void forEach(FolderTreeItem* item, const std::function<void(FolderTreeItem&)>& visit) const;

    // The view tells which items are expanded (their folders show open).
    void setExpanded(QModelIndex index, bool expanded);

    // "Holds analysis results": some item below the root has been analysed or scanned.
    bool holdsResults() const;

private:
    std::unique_ptr<FolderTreeItem> makeItem(FolderTreeItem* parent, ResultNode* node,
                                             bool placeholder);
    void addPlaceholder(FolderTreeItem* item);
    void forget(FolderTreeItem& item);
    QIcon iconFor(const FolderTreeItem& item, bool expanded) const;

    RequestSink* sink_ = nullptr;
    void* treeWindow_ = nullptr;
    ScanSettings settings_;
    std::unique_ptr<ResultNode> rootNode_;
    FolderTreeItem invisibleRoot_{nullptr, nullptr, false};
    std::unordered_set<const TreeItemRecord*> live_;
    QSet<const FolderTreeItem*> expanded_;
};

} // namespace vantrel
