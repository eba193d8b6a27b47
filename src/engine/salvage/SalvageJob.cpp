#include "engine/salvage/SalvageJob.h"

#include "engine/tree/ResultNode.h"
#include "platform/Utf.h"

#include <vector>

namespace vantrel {

const char* SalvageStatusWord(SalvageStatus status) {
    switch (status) {
    case SalvageStatus::Ok:
        return "ok";
    case SalvageStatus::Partial:
        return "partial";
    case SalvageStatus::Cut:
        return "cut";
    case SalvageStatus::Skipped:
        return "skipped";
    case SalvageStatus::Failed:
        break;
    }
    return "failed";
}

std::string NodePath(const ResultNode* node) {
    std::vector<const ResultNode*> chain;
    for (const ResultNode* up = node; up; up = up->Parent())
        chain.push_back(up);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        path += ToUtf8((*it)->Name());
    }
    return path;
}

} // namespace vantrel
