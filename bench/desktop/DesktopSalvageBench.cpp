// Recovery of a whole volume through the desktop program's real frame and browse screen,
// as a user starts it from the folder tree: the first "既存のフォルダ" item of an image
// is recovered into a folder, and the wall and CPU time of the run are printed. Run it
// on the offscreen platform (or under a display to watch it):
//
//   QT_QPA_PLATFORM=offscreen bench_desktop_salvage IMAGE DESTINATION
//
// Compare with `vantrel-cli recover IMAGE NODE --to DESTINATION` of the same folder.

#include "app/browse/BrowseScreen.h"
#include "app/browse/Commands.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ScreenHost.h"
#include "device/HandleDisk.h"
#include "skin/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace vantrel;

namespace {

// Runs the event loop until done() holds or the time runs out; the condition is looked at
// every few milliseconds, so the loop itself sleeps between events as the program's does.
bool LoopUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(5);
    loop.exec();
    return done();
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The first item labelled as a volume's folders, expanding the tree breadth first.
FolderTreeItem* FindVolume(CVntMFCView_TreeCtrl& tree) {
    std::vector<FolderTreeItem*> level = {tree.model()->rootItem()};
    for (int depth = 0; depth < 4 && !level.empty(); ++depth) {
        std::vector<FolderTreeItem*> next;
        for (FolderTreeItem* item : level) {
            tree.treeView()->expand(tree.model()->indexOf(item));
            LoopUntil([item] { return !item->WorkerRunning() && !item->Children().empty(); },
                      20000);
            for (const auto& child : item->Children()) {
                if (child->Label().startsWith(QStringLiteral("既存のフォルダ")))
                    return child.get();
                next.push_back(child.get());
            }
        }
        level = std::move(next);
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_desktop_salvage IMAGE DESTINATION\n");
        return 2;
    }
    InstallFontSubstitutions();
    DriveList drives;
    std::vector<UnopenedDrive> unopened;
    auto disk = std::make_unique<CHandleDisk>();
    if (!disk->Open(argv[1])) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    drives.push_back(std::move(disk));
    CVntMFCFrameWnd frame(&drives, &unopened, false);
    auto* browse = new BrowseScreen(frame, frame.screenHost());
    frame.setBrowse(browse);
    frame.resize(1024, 760);
    frame.show();
    PostUiRequest(&frame, msg::kSelectDriveIndex, 0);
    frame.runCommand(cmd::kManualSearch);
    CVntMFCView_TreeCtrl* tree = browse->folderTree();
    if (!LoopUntil(
            [&] {
                return frame.screenHost()->currentScreen() == 2 && tree->model()->rootItem() &&
                       !tree->selectionState().busy;
            },
            20000))
        return 1;
    FolderTreeItem* volume = FindVolume(*tree);
    if (!volume) {
        std::fprintf(stderr, "no volume folder item\n");
        return 1;
    }
    tree->selectItem(volume);
    const QString destination = QString::fromLocal8Bit(argv[2]);
    tree->setFolderChooser([destination](QWidget*) { return destination; });
    LoopUntil([] { return false; }, 200); // the list fills; not part of the run

    const double cpuBefore = CpuSeconds();
    QElapsedTimer timer;
    timer.start();
    bool seenSalvage = false;
    browse->runTreeCommand(command::kRecoverFolder);
    const bool ended = LoopUntil(
        [&] {
            seenSalvage = seenSalvage || frame.screenHost()->currentScreen() == 5;
            return seenSalvage && frame.screenHost()->currentScreen() == 2 &&
                   !tree->selectionState().busy;
        },
        3600000);
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("%s: %.3f s wall, %.3f s CPU, %d recovered rows\n", ended ? "done" : "timed out",
                wall, cpu, browse->salvageScreen()->recoveredList()->fileModel()->rowCount());
    PostUiRequest(browse->receivers().folderTree, msg::kShutDown);
    LoopUntil([&] { return tree->model()->rootItem() == nullptr; }, 20000);
    return ended ? 0 : 1;
}
