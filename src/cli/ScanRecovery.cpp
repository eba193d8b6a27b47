#include "cli/ScanRecovery.h"

#include "cli/BrowseTree.h"
#include "cli/SalvageSession.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

namespace vantrel::cli {

ScanRecoveryResult RecoverScanResults(ResultNode& area, const std::string& sourcePath,
                                      const std::string& destination, std::ostream& err) {
    SalvageJob job;
    job.destination = destination;
    job.sourcePath = sourcePath;
    job.writeManifest = true;
    job.describeSource = [](const ResultNode* parent, const FileEntry& entry) {
        return parent ? FileDisplayPath(*parent, entry) : ToUtf8(entry.name);
    };
    for (const auto& folder : area.Children())
        job.items.push_back({nullptr, nullptr, folder.get(), {}});
    for (const auto& file : area.Files())
        job.items.push_back({file.get(), &area, nullptr, {}});

    RecoverPolicy policy;
    policy.terminal = StdinIsTerminal();
    ScanRecoveryResult result;
    if (!RunSalvageSession(job, policy, &area, err))
        return result;
    const SalvageSummary& summary = job.summary;
    result.ran = !summary.refused;
    result.ok = summary.ok + summary.cut;
    result.failed = summary.failed;
    result.skipped = summary.skipped;
    result.stopped = summary.stopped;
    result.refusal = summary.refusal;
    return result;
}

} // namespace vantrel::cli
