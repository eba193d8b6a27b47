#include "skin/Strings.h"

namespace vantrel {

QString ResourceString(unsigned id) {
    switch (id) {
    case 33000:
        return QStringLiteral("開始ページに戻ります");
    case 33001:
        return QStringLiteral("手順を追ってファイルを検索します");
    case 33002:
        return QStringLiteral("簡単ファイル検索を利用せず手動で検索します");
    case 33003:
        return QStringLiteral("スキャンの開始");
    case 33004:
        return QStringLiteral("中止");
    case 33005:
        return QStringLiteral("フォルダの回収");
    case 33006:
        return QStringLiteral("ファイルの回収");
    case 33007:
        return QStringLiteral("ファイルのダンプ");
    case 33008:
        return QStringLiteral("ファイルのプレビュー");
    case 33009:
        return QStringLiteral("設定");
    case 33010:
        return QStringLiteral("ヘルプの表示");
    default:
        return {};
    }
}

} // namespace vantrel
