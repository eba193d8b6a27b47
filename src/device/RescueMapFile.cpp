#include "device/RescueMapFile.h"

#include <fstream>

namespace vantrel {

bool LoadRescueMap(const std::string& path, std::uint64_t diskBytes, RescueMap* map,
                   std::string* problem, std::string* warning) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *problem = "マップファイルを開けませんでした: " + path;
        return false;
    }
    std::string text;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        text.append(block, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxRescueMapBytes) {
            *problem = "マップファイルが大きすぎます（マップファイルではないようです）: " + path;
            return false;
        }
    }
    if (in.bad()) {
        *problem = "マップファイルを読み込めませんでした: " + path;
        return false;
    }
    RescueMapProblem bad;
    if (!RescueMap::Parse(text, map, &bad)) {
        *problem = "マップファイル " + path +
                   (bad.line != 0 ? " の " + std::to_string(bad.line) + " 行目" : std::string()) +
                   "が正しくありません: " + bad.reason;
        return false;
    }
    if (map->ClipTo(diskBytes))
        *warning = "マップファイルはディスクより大きいため、ディスクの終わり（" +
                   std::to_string(diskBytes) + " バイト）で切り詰めます: " + path;
    return true;
}

} // namespace vantrel
