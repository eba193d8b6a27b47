// The cost of naming carved files after the FAT and NTFS entries still on a disk, set
// against the database scan that carved them, on the image VANTREL_CARVED_IMAGE names
// (bench/compare-carved-names.sh makes one of 1 GiB). The image is read once into the
// page cache by a first scan; the figures are then from memory, where the scan is
// fastest and the naming's share is largest.

#include "device/DiskWindow.h"
#include "device/HandleDisk.h"
#include "engine/scan/CarvedNaming.h"
#include "engine/scan/MethodSelection.h"
#include "engine/tree/ScanResultNode.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace vantrel;

struct ScannedImage {
    std::unique_ptr<CDiskDevice> disk;
    CDiskWindow window;
    ScanResultNode node;
};

bool Detect(ScanResultNode& node) {
    if (!node.SelectMethod(kMethodSignature))
        return false;
    for (StepResult p = 0; p != kStepComplete;) {
        p = node.DetectStep();
        if (p == kStepFailed)
            return false;
    }
    return true;
}

ScannedImage* Image() {
    static ScannedImage* image = [] {
        const char* path = std::getenv("VANTREL_CARVED_IMAGE");
        if (!path)
            return static_cast<ScannedImage*>(nullptr);
        InstallScanMethods();
        auto* made = new ScannedImage;
        auto disk = std::make_unique<CHandleDisk>();
        const bool opened = disk->Open(path);
        made->disk = std::move(disk);
        if (!opened || !made->window.Open(made->disk.get(), 0, 0) ||
            !made->node.SetUp(&made->window, 0, ~0ull) || !Detect(made->node)) {
            delete made;
            return static_cast<ScannedImage*>(nullptr);
        }
        return made;
    }();
    return image;
}

void BM_DatabaseScan(benchmark::State& state) {
    ScannedImage* image = Image();
    if (!image) {
        state.SkipWithError("VANTREL_CARVED_IMAGE names no readable image");
        return;
    }
    for (auto _ : state)
        if (!Detect(image->node))
            state.SkipWithError("the scan failed");
    state.counters["files"] = static_cast<double>(image->node.FileCount());
}

// The same carved files named again each time: the lookup and the renaming redo all
// their work (the start-sector names are kept aside the first time).
void BM_CarvedNaming(benchmark::State& state) {
    ScannedImage* image = Image();
    if (!image) {
        state.SkipWithError("VANTREL_CARVED_IMAGE names no readable image");
        return;
    }
    CarvedNaming naming;
    for (auto _ : state) {
        naming.Reset();
        while (naming.Step(image->node) != kStepComplete) {
        }
    }
    state.counters["files"] = static_cast<double>(image->node.FileCount());
    state.counters["named"] = static_cast<double>(naming.FilesNamed());
    state.counters["volumes"] = static_cast<double>(naming.VolumesLookedAt());
}

// Process CPU time: the scan reads ahead on a thread of its own.
BENCHMARK(BM_DatabaseScan)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime();
BENCHMARK(BM_CarvedNaming)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
