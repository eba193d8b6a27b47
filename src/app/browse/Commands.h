#pragma once

// Command numbers the browse screen's views carry out (menu, toolbar and prompt strings
// share them).

namespace vantrel::command {

inline constexpr int kScan = 33003;
inline constexpr int kAbort = 33004;
inline constexpr int kRecoverFolder = 33005;
inline constexpr int kRecoverFiles = 33006;
inline constexpr int kDump = 33007;
inline constexpr int kPreview = 33008;
// "ディスクの診断(&G)": after the original commands, which end at 33010.
inline constexpr int kDiagnose = 33011;

} // namespace vantrel::command
