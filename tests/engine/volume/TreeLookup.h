#pragma once

// Finding a folder or a file of an analysed node by its name, for the volume tests.

#include "engine/tree/ResultNode.h"

#include <string>

namespace vantrel::testing {

inline ResultNode* Child(ResultNode& node, const std::u16string& name) {
    AnalyseCompletely(node);
    for (const auto& child : node.Children())
        if (child->Name() == name)
            return child.get();
    return nullptr;
}

inline FileEntry* File(ResultNode& node, const std::u16string& name) {
    AnalyseCompletely(node);
    for (const auto& file : node.Files())
        if (file->name == name)
            return file.get();
    return nullptr;
}

} // namespace vantrel::testing
