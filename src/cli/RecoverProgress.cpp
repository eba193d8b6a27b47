#include "cli/RecoverProgress.h"

#include "engine/salvage/QuestionText.h"
#include "platform/Utf.h"

#include <ostream>

namespace vantrel::cli {

namespace {

constexpr int kBarWidth = 20;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// Columns a UTF-8 text takes: CJK and other wide characters count two.
int Columns(std::u16string_view text) {
    int columns = 0;
    for (const char16_t c : text)
        columns += c >= 0x1100 ? 2 : 1;
    return columns;
}

} // namespace

RecoverProgress::RecoverProgress(std::ostream& err, bool enabled, int columns)
    : err_(err), enabled_(enabled), columns_(columns) {}

std::string RecoverProgress::Line(std::uint64_t filesDone, std::uint64_t total, std::uint64_t bytes,
                                  std::uint64_t size, const std::string& name, int columns) {
    const std::uint64_t filled =
        total == 0 ? 0 : (filesDone >= total ? kBarWidth : filesDone * kBarWidth / total);
    std::string line = "[" + std::string(filled, '#') +
                       std::string(kBarWidth - static_cast<std::size_t>(filled), '.') + "] " +
                       std::to_string(filesDone) + "/" + std::to_string(total) + " ファイル  " +
                       ToUtf8(SizeText(bytes)) + " / " + ToUtf8(SizeText(size)) + "  ";
    int left = columns - 1 - Columns(FromUtf8(line));
    std::u16string shown;
    for (const char16_t c : FromUtf8(name)) {
        const int width = c >= 0x1100 ? 2 : 1;
        if (left < width)
            break;
        shown += c < 0x20 || c == 0x7F ? u'?' : c;
        left -= width;
    }
    return line + ToUtf8(shown);
}

void RecoverProgress::Start(std::uint64_t total) {
    total_ = total;
    Redraw(true);
}

void RecoverProgress::File(const std::string& name, std::uint64_t size) {
    name_ = name;
    size_ = size;
    bytes_ = 0;
    Redraw(true);
}

void RecoverProgress::Bytes(std::uint64_t done) {
    bytes_ = done;
    Redraw(false);
}

void RecoverProgress::FilesDone(std::uint64_t done) {
    filesDone_ = done;
    Redraw(false);
}

void RecoverProgress::Clear() {
    if (enabled_ && shown_)
        err_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

void RecoverProgress::Redraw(bool force) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && shown_ && now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    err_ << "\r\x1b[K" << Line(filesDone_, total_, bytes_, size_, name_, columns_) << std::flush;
    shown_ = true;
}

} // namespace vantrel::cli
