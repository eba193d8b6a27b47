#include "engine/salvage/SalvageWorker.h"

#include "engine/salvage/SalvageRun.h"

namespace vantrel {

int SalvageWorker(TreeItemRecord& record, SalvageJob& job) {
    SalvageRun run(record, job);
    return run.Run();
}

bool StartSalvage(TreeItemRecord& record, SalvageJob& job) {
    return record.StartWorker([&job](TreeItemRecord& self) { return SalvageWorker(self, job); });
}

} // namespace vantrel
