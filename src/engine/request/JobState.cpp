#include "engine/request/JobState.h"

namespace vantrel {

std::u16string_view JobStateWord(int state) {
    switch (state) {
    case kJobRunning:
        return u"実行中";
    case kJobPaused:
        return u"待機中";
    case kJobCancel:
        return u"キャンセル";
    case kJobDone:
        return u"正常終了";
    case kJobFailed:
        return u"失敗";
    default:
        return u"不明";
    }
}

} // namespace vantrel
