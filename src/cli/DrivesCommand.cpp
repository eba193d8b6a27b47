#include "cli/Command.h"
#include "device/DriveList.h"

#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::cli {

namespace {

struct DriveRow {
    std::string index, description, detail, vendor, product, revision, access, node;
    std::int32_t accessMethod = 0;
    std::int32_t kind = 0;
};

// Identity strings come from the device: trailing padding goes, and bytes that are not
// printable ASCII are shown as '?' so that no device can write control codes to the
// terminal.
template <std::size_t N>
std::string IdentityText(const std::array<char, N>& field) {
    std::string text;
    for (char c : field) {
        if (c == '\0')
            break;
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

const char* AccessMethodText(std::int32_t method) {
    switch (method) {
    case kAccessBios:
        return "BIOS";
    case kAccessHandle:
        return "ハンドル";
    case kAccessScsi:
        return "SCSI";
    default:
        return "なし";
    }
}

// Columns of a terminal that a UTF-8 text takes: East Asian wide characters count two.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        if (length > 1 && i + length <= text.size()) {
            cp = lead & (0xFFu >> (length + 1));
            for (std::size_t k = 1; k < length; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        const bool halfwidthKana = cp >= 0xFF61 && cp <= 0xFF9F;
        width += (cp >= 0x1100 && !halfwidthKana) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return text + std::string(used < width ? width - used : 0, ' ');
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string UnopenedReason(const UnopenedDrive& drive) {
    if (drive.needsRoot)
        return "デバイスを読むには root 権限が必要です";
    return std::string("開けません: ") + std::strerror(drive.errnoValue);
}

std::string UnopenedText(const UnopenedDrive& drive) {
    const std::string reason = drive.needsRoot ? "デバイスを読むには root 権限が必要です"
                                               : std::strerror(drive.errnoValue);
    return drive.node + " を開けませんでした（" + reason + "）";
}

void PrintTable(std::vector<DriveRow> rows, const std::vector<DriveRow>& unopenedRows) {
    rows.insert(rows.end(), unopenedRows.begin(), unopenedRows.end());
    const std::vector<std::string> header = {"番号", "説明",       "容量",        "ベンダー",
                                             "製品", "リビジョン", "アクセス方式"};
    std::vector<std::size_t> widths;
    for (const auto& title : header)
        widths.push_back(DisplayWidth(title));
    auto cells = [](const DriveRow& row) {
        return std::vector<std::string>{row.index,   row.description, row.detail, row.vendor,
                                        row.product, row.revision,    row.access};
    };
    for (const auto& row : rows) {
        const auto values = cells(row);
        for (std::size_t i = 0; i < values.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(values[i]));
    }
    auto printLine = [&](const std::vector<std::string>& values) {
        std::string line;
        for (std::size_t i = 0; i < values.size(); ++i)
            line += i + 1 < values.size() ? Pad(values[i], widths[i]) + "  " : values[i];
        std::cout << line << "\n";
    };
    printLine(header);
    for (const auto& row : rows)
        printLine(cells(row));
}

void PrintJson(const std::vector<DriveRow>& rows, const std::vector<UnopenedDrive>& unopened) {
    std::cout << "{\"drives\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DriveRow& r = rows[i];
        std::cout << (i ? "," : "") << "{\"index\":" << r.index
                  << ",\"description\":" << JsonString(r.description)
                  << ",\"detail\":" << JsonString(r.detail)
                  << ",\"vendor\":" << JsonString(r.vendor)
                  << ",\"product\":" << JsonString(r.product)
                  << ",\"revision\":" << JsonString(r.revision)
                  << ",\"access_method\":" << r.accessMethod
                  << ",\"access_method_text\":" << JsonString(r.access) << ",\"kind\":" << r.kind
                  << ",\"node\":" << JsonString(r.node) << "}";
    }
    std::cout << "],\"unopened\":[";
    for (std::size_t i = 0; i < unopened.size(); ++i)
        std::cout << (i ? "," : "") << "{\"node\":" << JsonString(unopened[i].node)
                  << ",\"errno\":" << unopened[i].errnoValue
                  << ",\"needs_root\":" << (unopened[i].needsRoot ? "true" : "false")
                  << ",\"description\":" << JsonString(unopened[i].description)
                  << ",\"detail\":" << JsonString(unopened[i].detail)
                  << ",\"vendor\":" << JsonString(IdentityText(unopened[i].identity.vendor))
                  << ",\"product\":" << JsonString(IdentityText(unopened[i].identity.product))
                  << ",\"revision\":" << JsonString(IdentityText(unopened[i].identity.revision))
                  << "}";
    std::cout << "]}\n";
}

int RunDrives(const std::vector<std::string>& args) {
    ArgParser parser(args, {}, {"--json", "--legacy"});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("drives").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (!parser.Positional().empty())
        return UsageError("drives は引数を取りません（vantrel-cli drives --help）");

    DriveList drives;
    std::vector<UnopenedDrive> unopened;
    if (parser.Flag("--legacy"))
        EnumerateLegacyDrives(drives, true, true);
    else
        EnumerateDrives(drives, true, true, SystemPaths{}, &unopened);

    std::vector<DriveRow> rows;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        CDiskDevice& device = *drives[i];
        DeviceIdentity id;
        device.GetIdentity(&id);
        DriveRow row;
        row.index = std::to_string(i);
        row.description = DeviceDescription(device);
        row.detail = DeviceDetail(device);
        row.vendor = IdentityText(id.vendor);
        row.product = IdentityText(id.product);
        row.revision = IdentityText(id.revision);
        row.accessMethod = device.GetAccessMethod();
        row.access = AccessMethodText(row.accessMethod);
        row.kind = device.GetDriveKind();
        row.node = device.DeviceNode();
        rows.push_back(row);
    }
    // Disks that could not be opened are shown after the list, without an index.
    std::vector<DriveRow> unopenedRows;
    for (const auto& drive : unopened) {
        DriveRow row;
        row.index = "-";
        row.description = drive.description;
        row.detail = drive.detail;
        row.vendor = IdentityText(drive.identity.vendor);
        row.product = IdentityText(drive.identity.product);
        row.revision = IdentityText(drive.identity.revision);
        row.access = UnopenedReason(drive);
        row.node = drive.node;
        unopenedRows.push_back(row);
    }

    if (parser.Flag("--json"))
        PrintJson(rows, unopened);
    else if (!rows.empty() || !unopenedRows.empty())
        PrintTable(rows, unopenedRows);
    for (const auto& drive : unopened)
        std::cerr << "vantrel-cli: " << UnopenedText(drive) << "\n";
    if (rows.empty()) {
        std::cerr << "対象のドライブを検出できませんでした。\n";
        return kExitProblem;
    }
    return kExitOk;
}

const CommandRegistrar kDrives{{
    "drives",
    "調べることのできるドライブを一覧表示します",
    "使い方: vantrel-cli drives [--json] [--legacy]\n"
    "固定ディスク、リムーバブルメディア、フロッピードライブの順に、番号、説明（種類、デバイス、\n"
    "マウント先）、容量、ベンダー、製品、リビジョン、アクセス方式を表示します。\n"
    "ループデバイスはイメージファイルのリムーバブルディスクとして表示されます。\n"
    "  --json    スクリプト向けに JSON で出力します\n"
    "  --legacy  フロッピードライブ 0、1 と SCSI アドレス（ホストアダプタ、ターゲット、LUN）の\n"
    "            順に列挙します\n"
    "開けなかったデバイスは標準エラーに理由を表示します（多くは root 権限が必要です）。\n"
    "ドライブが 1 つもないときは終了コード 1 です。\n",
    RunDrives,
}};

} // namespace

} // namespace vantrel::cli
