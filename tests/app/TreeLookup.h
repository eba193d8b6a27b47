#pragma once

// Finds a folder tree row by the start of its label, as a user looks for it.

#include "app/models/FolderTreeModel.h"

#include <QString>

namespace vantrel::test {

inline FolderTreeItem* ChildLabelled(FolderTreeItem* item, const QString& prefix) {
    if (!item)
        return nullptr;
    for (const auto& child : item->Children())
        if (child->Label().startsWith(prefix))
            return child.get();
    return nullptr;
}

} // namespace vantrel::test
