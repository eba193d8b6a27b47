#include "TreeDump.h"

#include "Fixtures.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/NtfsFolderNode.h"
#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vantrel::testing {

namespace {

std::string TimeText(const FileTime& time) {
    CalendarTime utc;
    if (!time || !EpochToUtc(*time, &utc))
        return "不明";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", utc.year, utc.month, utc.day,
                  utc.hour, utc.minute, utc.second);
    return text;
}

bool IsNtfsMetadata(const ResultNode& folder, const std::u16string& name) {
    const auto* ntfs = dynamic_cast<const NtfsFolderNode*>(&folder);
    return ntfs && ntfs->RecordNumber() == kNtfsRootRecord && !name.empty() && name[0] == u'$';
}

void Dump(ResultNode& node, int depth, std::ostringstream& out) {
    if (depth > 40)
        return;
    AnalyseCompletely(node);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    for (const auto& child : node.Children()) {
        if (IsNtfsMetadata(node, child->Name()))
            continue;
        out << indent << ToUtf8(child->Name());
        if (child->RangeLength() != ~0ull)
            out << " [" << child->RangeStart() << " +" << child->RangeLength() << "]";
        else if (child->GetWindow())
            out << " @" << child->GetWindow()->Start();
        if (child->IsDeleted() && !child->IsScanTarget())
            out << " (削除)";
        out << "\n";
        Dump(*child, depth + 1, out);
    }
    for (const auto& file : node.Files()) {
        if (IsNtfsMetadata(node, file->name))
            continue;
        out << indent << "- " << ToUtf8(file->name) << " | " << file->size << " | "
            << FileConditionText(file->condition) << "(" << file->condition << ") | "
            << TimeText(file->modifyTime) << (file->deleted ? " | (削除)" : "") << "\n";
    }
}

} // namespace

std::string DumpTree(ResultNode& root, const std::string& rootName) {
    std::ostringstream out;
    out << rootName << "\n";
    Dump(root, 1, out);
    return out.str();
}

std::string CompareWithGolden(const std::string& dump, const std::string& name) {
    const auto path = SourceDir() / "tests" / "engine" / "partition" / "golden" / (name + ".txt");
    const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << dump;
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "missing golden file " + path.string();
    std::ostringstream expected;
    expected << in.rdbuf();
    if (expected.str() == dump)
        return {};
    return "tree differs from " + path.string() + "\n--- expected\n" + expected.str() +
           "--- actual\n" + dump;
}

} // namespace vantrel::testing
