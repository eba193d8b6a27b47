#include "cli/ScanRecovery.h"

#include "cli/BrowseTree.h"
#include "cli/FileListing.h"
#include "cli/SalvageSession.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ResultNode.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

namespace vantrel::cli {

ScanRecoveryResult RecoverScanResults(ResultNode& area, const std::string& sourcePath,
                                      const std::vector<std::string>& sourceCompanions,
                                      const std::string& destination, const ScanSettings& filter,
                                      const RecoverPolicy& policy, std::ostream& err) {
    SalvageJob job;
    job.destination = destination;
    job.sourcePath = sourcePath;
    job.sourceCompanions = sourceCompanions;
    job.writeManifest = true;
    job.filter = filter;
    job.describeSource = [](const ResultNode* parent, const FileEntry& entry) {
        return parent ? FileDisplayPath(*parent, entry) : ToUtf8(entry.name);
    };
    // The area is recreated as the destination itself; what it holds is filtered as in
    // any folder.
    const RowFilter rows(filter);
    for (const auto& folder : area.Children())
        if (rows.PassesFolder(folder->Name(), folder->IsDeleted(), folder->IsScanTarget()))
            job.items.push_back({nullptr, nullptr, folder.get(), {}});
    for (const auto& file : area.Files())
        if (PassesFile(rows, *file))
            job.items.push_back({file.get(), &area, nullptr, {}});

    ScanRecoveryResult result;
    if (!RunSalvageSession(job, policy, &area, err))
        return result;
    const SalvageSummary& summary = job.summary;
    result.ran = !summary.refused;
    result.exitCode = SalvageExitCode(summary);
    result.refusal = summary.refusal;
    return result;
}

} // namespace vantrel::cli
