#include "engine/salvage/Manifest.h"

#include "platform/OutputFile.h"

#include <cerrno>
#include <cstdio>

namespace vantrel {

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string ManifestLine(const ManifestRecord& record) {
    std::string line = "{\"path\":" + JsonQuote(record.path) +
                       ",\"source\":" + JsonQuote(record.source) +
                       ",\"size\":" + std::to_string(record.size) +
                       ",\"condition\":" + std::to_string(record.condition) +
                       ",\"deleted\":" + (record.deleted ? "true" : "false") +
                       ",\"status\":" + JsonQuote(record.status);
    if (record.status == "partial")
        line += ",\"expected_size\":" + std::to_string(record.expectedSize) +
                ",\"unread_bytes\":" + std::to_string(record.unreadBytes);
    if (!record.error.empty())
        line += ",\"error\":" + JsonQuote(record.error);
    if (!record.carvedName.empty())
        line += ",\"carved_name\":" + JsonQuote(record.carvedName);
    if (!record.originalFolder.empty())
        line += ",\"original_folder\":" + JsonQuote(record.originalFolder);
    if (!record.sha256.empty())
        line += ",\"sha256\":" + JsonQuote(record.sha256);
    line += "}\n";
    return line;
}

bool ManifestWriter::Open(const std::string& folder) {
    folder_ = folder;
    lastErrno_ = 0;
    if (!file_.Open(folder + "/" + kManifestName)) {
        lastErrno_ = file_.LastErrno();
        return false;
    }
    // A run killed halfway through a line left it without its end; the new lines start on
    // their own line rather than run into it.
    char last = '\n';
    if ((file_.Size() == 0 || file_.LastByte(&last)) && (last == '\n' || file_.Append("\n", 1)))
        return true;
    lastErrno_ = file_.LastErrno();
    // The error that matters is the one above; the manifest is not used any further.
    (void)file_.Close();
    return false;
}

bool ManifestWriter::Append(const ManifestRecord& record) {
    if (!file_.IsOpen())
        return false;
    const std::string line = ManifestLine(record);
    if (file_.Append(line.data(), line.size()))
        return true;
    lastErrno_ = file_.LastErrno();
    return false;
}

bool ManifestWriter::Close() {
    if (!file_.IsOpen())
        return true;
    const bool created = file_.Created();
    bool ok = file_.Sync();
    ok = file_.Close() && ok;
    int folderError = 0;
    // A new manifest's name has to reach the disk as well as its lines.
    if (ok && created && !SyncFolder(folder_, &folderError)) {
        lastErrno_ = folderError;
        return false;
    }
    if (!ok)
        lastErrno_ = file_.LastErrno();
    return ok;
}

std::string ManifestWriter::ErrorText() const {
    switch (lastErrno_) {
    case kNotARegularFile:
        return "通常のファイルではありません";
    case kHasOtherLinks:
        return "ほかの場所にハードリンクがあります";
    case ELOOP:
        return "シンボリックリンクです";
    case EWOULDBLOCK:
        return "ほかの回収が書き込み中です";
    default:
        return ErrnoText(lastErrno_);
    }
}

} // namespace vantrel
