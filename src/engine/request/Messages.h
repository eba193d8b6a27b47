#pragma once

// Numbers of the private messages that carry a UiRequest between the engine's workers
// and the windows (WM_USER-based, so 0x400 + n). Front ends route by these numbers.

#include <cstdint>

namespace vantrel::msg {

using MessageId = std::uint32_t;

inline constexpr MessageId kUserBase = 0x400;

// Frame and screens.
inline constexpr MessageId kButtonHover = 0x463;         // parameter 1 enter, 0 leave
inline constexpr MessageId kUpdateCommandStates = 0x464; // sent at idle time
inline constexpr MessageId kUpdateStatusText = 0x490;    // sent at idle time after 0x464
inline constexpr MessageId kShowScreen = 0x479;          // value = screen number 1..5
inline constexpr MessageId kFlush = 0x481;               // flush barrier
inline constexpr MessageId kShutDown = 0x475;
inline constexpr MessageId kMessageBox = 0x489; // text; the sender waits

// Questions asked by a worker that waits for the answer (first result integer).
inline constexpr MessageId kAskOverwrite = 0x46A;
// Not one of the frame's original numbers: the failure question needs one of its own and
// 0x46B lies unused between the other two questions.
inline constexpr MessageId kAskContinueAfterFailure = 0x46B;
inline constexpr MessageId kAskSizeLimit = 0x46C;

// Scan progress screen.
inline constexpr MessageId kProgressStart = 0x46E;    // value = range length - 1
inline constexpr MessageId kProgressPosition = 0x46F; // value = position - 1
inline constexpr MessageId kFoundFiles = 0x470;       // pointer = the node's files list
inline constexpr MessageId kPhaseText = 0x487;        // text

// Log lists.
inline constexpr MessageId kLogLine = 0x474; // strings [node name, text], pending count 3

// Folder tree.
inline constexpr MessageId kDriveSelected = 0x477;    // pointer = the drive
inline constexpr MessageId kInsertChildren = 0x47B;   // names the item
inline constexpr MessageId kScanFinished = 0x47D;     // pointer = the TreeItemRecord
inline constexpr MessageId kAnalysisFinished = 0x47F; // names the item
inline constexpr MessageId kRecoverEntries = 0x486;   // pointer = list of entries
inline constexpr MessageId kSettingsChanged = 0x48D;  // pointer = the scan settings
inline constexpr MessageId kScanWhenReady = 0x48E;
inline constexpr MessageId kReset = 0x48A; // value = drive index

// Drive selector.
inline constexpr MessageId kSelectDriveIndex = 0x48B; // value = index into the drive list
inline constexpr MessageId kSelectDrive = 0x48C;      // pointer = the drive

// File list and list view.
inline constexpr MessageId kShowEntries = 0x478;   // pointer = entries, or none
inline constexpr MessageId kShowListChild = 0x48F; // value 0 list, 1 or 2 guidance panel

// Salvage progress screen.
inline constexpr MessageId kSalvageFileStart = 0x482;    // pointer = entry, text = name
inline constexpr MessageId kSalvageFileProgress = 0x483; // value = bytes of the file done
inline constexpr MessageId kSalvageStart = 0x484;        // value = total
inline constexpr MessageId kSalvageRecovered = 0x485;    // pointer = entries recovered so far
inline constexpr MessageId kSalvageEnd = 0x488;

// Diagnosis screen. Not one of the frame's original numbers (the diagnosis is new): the
// first free number after them. Pointer = the DiskCheck; the worker waits.
inline constexpr MessageId kDiagnosisProgress = 0x491;

// Screen numbers carried by kShowScreen.
inline constexpr std::uint64_t kScreenStart = 1;
inline constexpr std::uint64_t kScreenBrowse = 2;
inline constexpr std::uint64_t kScreenScan = 3;
inline constexpr std::uint64_t kScreenDiagnosis = 4;
inline constexpr std::uint64_t kScreenSalvage = 5;

// Answer codes of the question dialogs (their button identifiers).
inline constexpr int kAnswerNone = -1; // set before a dialog runs; no answer came back
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerYesToAll = 1000;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerCancel = 2;

} // namespace vantrel::msg
