#include "app/shell/Commands.h"

namespace vantrel {

CommandStates CommandStates::Compute(const CommandInputs& in) {
    using Focus = BrowseScreenPort::Focus;
    const bool browse = in.screen == 2;
    const bool treeFocus = browse && in.focus == Focus::Tree && in.tree.exists;
    const bool listFocus = browse && in.focus == Focus::List;
    const TreeSelectionState& item = in.tree;

    CommandStates states;
    auto set = [&states](int id, bool on) {
        states.flags_[static_cast<std::size_t>(id - cmd::kFirst)] = on;
    };
    set(cmd::kReturnToStart, browse);
    set(cmd::kManualSearch, in.screen == 1);
    set(cmd::kEasySearch, in.screen == 1);
    set(cmd::kStartScan, treeFocus && item.canScan && !item.busy);
    set(cmd::kAbort, (in.screen == 3 || in.screen == 5) && item.busy);
    set(cmd::kSalvageFolder, treeFocus && !item.diskOrPartition &&
                                 (!item.canScan || item.hasSubfoldersOrFiles) && !item.busy);
    set(cmd::kSalvageFiles, listFocus && in.selectedRows >= 1);
    set(cmd::kDumpFile, listFocus && in.selectedRows == 1);
    set(cmd::kPreviewFile, listFocus && in.selectedRows == 1);
    set(cmd::kSettings, browse);
    set(cmd::kHelp, true);
    // The disk check reads a whole disk or partition: one selected, nothing running.
    states.diagnose_ = browse && item.exists && item.diskOrPartition && !item.busy;
    return states;
}

bool CommandStates::enabled(int commandId) const {
    if (commandId == cmd::kDiagnose)
        return diagnose_;
    if (commandId < cmd::kFirst || commandId > cmd::kLast)
        return true;
    return flags_[static_cast<std::size_t>(commandId - cmd::kFirst)];
}

QString StatusText(int shownRows, int entriesBeforeFilter, int selectedRows) {
    if (selectedRows > 0)
        return QString::number(selectedRows) + QStringLiteral("個のファイルを選択");
    return QString::number(shownRows) + QStringLiteral("個のファイル / 総ファイル数") +
           QString::number(entriesBeforeFilter) + QStringLiteral(" ( 対象外:") +
           QString::number(entriesBeforeFilter - shownRows) + QStringLiteral(" ) ");
}

QString CommandPrompt(int commandId) {
    switch (commandId) {
    case cmd::kReturnToStart:
        return QStringLiteral("開始ページに戻ります");
    case cmd::kManualSearch:
        return QStringLiteral("簡単ファイル検索を利用せず手動で検索します");
    case cmd::kEasySearch:
        return QStringLiteral("手順を追ってファイルを検索します");
    case cmd::kStartScan:
        return QStringLiteral("スキャンの開始");
    case cmd::kAbort:
        return QStringLiteral("中止");
    case cmd::kSalvageFolder:
        return QStringLiteral("フォルダの回収");
    case cmd::kSalvageFiles:
        return QStringLiteral("ファイルの回収");
    case cmd::kDumpFile:
        return QStringLiteral("ファイルのダンプ");
    case cmd::kPreviewFile:
        return QStringLiteral("ファイルのプレビュー");
    case cmd::kSettings:
        return QStringLiteral("設定");
    case cmd::kHelp:
        return QStringLiteral("ヘルプの表示");
    case cmd::kDiagnose:
        return QStringLiteral("ディスクの診断");
    case cmd::kAbout:
        return QStringLiteral("バージョン情報の表示");
    case cmd::kExit:
        return QStringLiteral("アプリケーションの終了");
    case cmd::kStatusBar:
        return QStringLiteral("ステータスバーの表示/非表示");
    default:
        return {};
    }
}

} // namespace vantrel
