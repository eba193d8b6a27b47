#pragma once

// The program's commands and the rule that enables each, computed from what the frame
// reads of its screens. The menu and the toolbar show exactly these flags.

#include "app/shell/BrowseScreenPort.h"

#include <QString>
#include <array>

namespace vantrel {

namespace cmd {
inline constexpr int kReturnToStart = 33000;
inline constexpr int kEasySearch = 33001;
inline constexpr int kManualSearch = 33002;
inline constexpr int kStartScan = 33003;
inline constexpr int kAbort = 33004;
inline constexpr int kSalvageFolder = 33005;
inline constexpr int kSalvageFiles = 33006;
inline constexpr int kDumpFile = 33007;
inline constexpr int kPreviewFile = 33008;
inline constexpr int kSettings = 33009;
inline constexpr int kHelp = 33010;
inline constexpr int kFirst = kReturnToStart;
inline constexpr int kLast = kHelp;
// "ディスクの診断(&G)" in the 操作 menu (not on the toolbar): after the original commands.
inline constexpr int kDiagnose = 33011;
// Always enabled.
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kStatusBar = 59393;
// The toolbar's eleven buttons, left to right.
inline constexpr std::array<int, 11> kToolbarOrder = {33000, 33002, 33001, 33003, 33004, 33005,
                                                      33006, 33007, 33008, 33009, 33010};
} // namespace cmd

// What the command rules read, in the order the frame reads it.
struct CommandInputs {
    int screen = 0; // 1..5, 0 when none is shown
    BrowseScreenPort::Focus focus = BrowseScreenPort::Focus::Other;
    TreeSelectionState tree;
    int selectedRows = 0;
};

class CommandStates {
public:
    static CommandStates Compute(const CommandInputs& in);
    // Commands outside 33000-33010 (about, exit, status bar) are always enabled.
    bool enabled(int commandId) const;
    bool operator==(const CommandStates&) const = default;

private:
    std::array<bool, cmd::kLast - cmd::kFirst + 1> flags_{};
    bool diagnose_ = false;
};

// The status bar's text: "K個のファイルを選択" with rows selected, otherwise
// "N個のファイル / 総ファイル数T ( 対象外:T-N ) ".
QString StatusText(int shownRows, int entriesBeforeFilter, int selectedRows);

// The prompt of a command (tooltip and status-bar prompt); empty for unknown ones.
QString CommandPrompt(int commandId);

} // namespace vantrel
