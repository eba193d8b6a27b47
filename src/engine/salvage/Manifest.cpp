#include "engine/salvage/Manifest.h"

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
    const std::string path = folder + "/" + kManifestName;
    RemoveFile(path);
    return file_.Create(path);
}

bool ManifestWriter::Append(const ManifestRecord& record) {
    if (!file_.IsOpen())
        return false;
    const std::string line = ManifestLine(record);
    return file_.Write(line.data(), line.size());
}

bool ManifestWriter::Close() {
    if (!file_.IsOpen())
        return true;
    const bool synced = file_.Sync();
    return file_.Close() && synced;
}

} // namespace vantrel
