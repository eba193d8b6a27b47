#pragma once

// What the main frame needs from the browse screen (screen 2) and its companions, the
// scan, diagnosis and salvage screens (3, 4, 5), and what they get from the frame.
//
// The browse library implements BrowseScreenPort (BrowseScreen); the frame implements
// FramePort and hands it to the browse screen when it builds it. Both are plain
// interfaces so that neither library links the other's widgets, and the shell's tests
// stand in a small class for the browse screen.

#include "device/DriveList.h"
#include "engine/settings/ScanSettings.h"

#include <QObject>
#include <QWidget>
#include <cstddef>
#include <vector>

namespace vantrel {

// Where the frame routes what the folder tree relays to it, and whom it broadcasts the
// settings (0x48D) to. Null members are skipped (a request meant for them is completed).
struct BrowseReceivers {
    QObject* folderTree = nullptr;      // 0x477, 0x486, 0x48E, 0x48A (reset), 0x475, commands
    QObject* fileList = nullptr;        // 0x478, 0x48F, commands
    QObject* driveSelector = nullptr;   // 0x48B, 0x48C
    QObject* browseLog = nullptr;       // 0x474 on screen 2
    QObject* scanLog = nullptr;         // 0x474 on screen 3
    QObject* salvageLog = nullptr;      // 0x474 on screen 5
    QObject* scanProgress = nullptr;    // 0x46E, 0x46F, 0x470, 0x487
    QObject* salvageProgress = nullptr; // 0x482 to 0x485, 0x488
    // 0x48D receivers besides the tree and the file list.
    QObject* scanFoundFiles = nullptr;
    QObject* salvageRecoveredFiles = nullptr;
    QObject* diagnosis = nullptr; // 0x491, the disk check's map
};

// The selected folder-tree item as the command-state table reads it.
struct TreeSelectionState {
    bool exists = false;
    bool busy = false;    // its worker thread is still running
    bool canScan = false; // a "スキャン結果" item or another scannable one
    bool diskOrPartition = false;
    bool hasSubfoldersOrFiles = false;
};

class BrowseScreenPort {
public:
    enum class Focus { Other, Tree, List };

    virtual ~BrowseScreenPort() = default;

    // Screen 2's widget; the frame's screen host shows and hides it.
    virtual QWidget* screenWidget() = 0;
    // The companions, screens 3 (scan), 4 (disk check) and 5 (salvage); null where the
    // frame keeps its placeholder.
    virtual QWidget* companionScreen(int /*number*/) { return nullptr; }

    // Which of the browse screen's views has the keyboard focus.
    virtual Focus focus() const = 0;
    virtual TreeSelectionState treeSelection() const = 0;
    virtual int selectedRowCount() const = 0;
    // Rows the file list shows (N) and entries of its folder before filtering (T).
    virtual int shownRowCount() const = 0;
    virtual int entryCountBeforeFilter() const = 0;
    // The tree holds results of an analysis or scan (returning to the start page asks).
    virtual bool holdsAnalysisResults() const = 0;

    // Commands the frame passes on: 33003, 33004, 33005 to the tree; 33006 to 33008 to
    // the list.
    virtual void runTreeCommand(int commandId) = 0;
    virtual void runListCommand(int commandId) = 0;
    // Leaving the program: the file list's filling thread stops before the tree is told.
    virtual void stopListFilling() = 0;

    virtual BrowseReceivers receivers() const = 0;

    // The frame added a drive (an image file opened, or a drive opened through the
    // system's disk service) to the end of the drive list: the selector re-reads it.
    // 0x48B with the new index follows.
    virtual void driveListChanged() = 0;
};

// The frame's side, for the browse screen and its tree.
class FramePort {
public:
    virtual ~FramePort() = default;

    // The object that the folder tree relays every request to that is not its own.
    virtual QObject* frameReceiver() = 0;
    // The master copy; views keep their own copy, replaced on 0x48D.
    virtual const ScanSettings& scanSettings() const = 0;
    // The drive list of the run (drives, then image files given or opened); indexes in
    // 0x48B count in it. Drives that could not be opened are listed by unopenedDrives.
    virtual DriveList& drives() = 0;
    virtual const std::vector<UnopenedDrive>& unopenedDrives() const = 0;
    virtual bool detailMode() const = 0;
    // The user chose a drive that could not be opened (index into unopenedDrives): the
    // frame explains why and, where the system's disk service can open it for an
    // unprivileged user, opens it read-only. The index of the opened drive in drives(),
    // or -1 (the explanation was shown).
    virtual int openUnopenedDrive(std::size_t unopenedIndex, QWidget* parent) = 0;
    // Focus, selection or a worker's state changed: the frame recomputes its command
    // states and status text (coalesced, on the next turn of the event loop).
    virtual void stateChanged() = 0;
    // Posts a command (33000-33010) to the frame, which runs it if it is enabled once the
    // event arrives (a double-click in the list posts 33008).
    virtual void postCommand(int commandId) = 0;
};

} // namespace vantrel
