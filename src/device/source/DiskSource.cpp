#include "device/source/DiskSource.h"

#include "device/HandleDisk.h"
#include "device/RescueMapFile.h"
#include "device/ewf/EwfDisk.h"
#include "device/ewf/EwfSignature.h"

namespace vantrel {

std::unique_ptr<CDiskDevice> OpenDiskSource(const std::string& path, DiskSourceProblem* problem) {
    *problem = {};
    problem->path = CheckSourcePath(path);
    if (problem->path != SourceProblem::None)
        return nullptr;
    if (IsEwfImageFile(path)) {
        auto image = std::make_unique<CEwfDisk>();
        if (image->Open(path, &problem->text))
            return image;
        if (problem->text.empty())
            problem->text = "E01 イメージの容量を取得できませんでした: " + path;
        return nullptr;
    }
    auto disk = std::make_unique<CHandleDisk>();
    if (!disk->Open(path)) {
        problem->path = SourceProblem::OpenFailed;
        return nullptr;
    }
    if (!disk->GetCapacity(nullptr, nullptr)) {
        problem->text =
            "容量を取得できませんでした（1 セクタに満たないか、読み取れません）: " + path;
        return nullptr;
    }
    return disk;
}

namespace {

bool LoadMapFor(CDiskDevice& disk, const std::string& mapPath, RescueMap* map, std::string* problem,
                std::string* warning) {
    warning->clear();
    if (!disk.GetCapacity(nullptr, nullptr)) {
        *problem = "容量を取得できませんでした: " + disk.DeviceNode();
        return false;
    }
    return LoadRescueMap(mapPath, (disk.LastLba() + 1) * disk.SectorSize(), map, problem, warning);
}

} // namespace

std::unique_ptr<CMappedDisk> OpenRescueMap(CDiskDevice& disk, const std::string& mapPath,
                                           std::string* problem, std::string* warning) {
    RescueMap map;
    if (!LoadMapFor(disk, mapPath, &map, problem, warning))
        return nullptr;
    auto mapped = std::make_unique<CMappedDisk>(disk, std::move(map));
    mapped->SetMapPath(mapPath);
    if (!mapped->GetCapacity(nullptr, nullptr)) {
        *problem = "容量を取得できませんでした: " + disk.DeviceNode();
        return nullptr;
    }
    return mapped;
}

std::unique_ptr<CMappedDisk> OpenRescueMap(std::unique_ptr<CDiskDevice> disk,
                                           const std::string& mapPath, std::string* problem,
                                           std::string* warning) {
    RescueMap map;
    if (!disk || !LoadMapFor(*disk, mapPath, &map, problem, warning))
        return nullptr;
    auto mapped = std::make_unique<CMappedDisk>(std::move(disk), std::move(map));
    mapped->SetMapPath(mapPath);
    if (!mapped->GetCapacity(nullptr, nullptr)) {
        *problem = "容量を取得できませんでした: " + mapped->DeviceNode();
        return nullptr;
    }
    return mapped;
}

const CEwfDisk* EwfImageOf(const CDiskDevice& disk) {
    if (const auto* mapped = dynamic_cast<const CMappedDisk*>(&disk))
        return dynamic_cast<const CEwfDisk*>(&mapped->Inner());
    return dynamic_cast<const CEwfDisk*>(&disk);
}

std::vector<std::pair<std::string, std::string>> EwfImageFacts(const CDiskDevice& disk) {
    const CEwfDisk* ewf = EwfImageOf(disk);
    if (!ewf)
        return {};
    std::vector<std::pair<std::string, std::string>> facts = {
        {"形式", ewf->FormatName()},
        {"セグメントファイル", std::to_string(ewf->Segments().size())}};
    for (auto& item : ewf->Metadata())
        facts.push_back(std::move(item));
    return facts;
}

} // namespace vantrel
