#include "engine/diagnosis/DdrescueMap.h"

#include "platform/OutputFile.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <unistd.h>

namespace vantrel {

namespace {

void Append(std::vector<MapArea>& areas, std::uint64_t position, std::uint64_t size, char status) {
    if (size == 0)
        return;
    if (!areas.empty() && areas.back().status == status &&
        areas.back().position + areas.back().size == position) {
        areas.back().size += size;
        return;
    }
    areas.push_back({position, size, status});
}

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08" PRIX64, value);
    return text;
}

} // namespace

std::vector<MapArea> CheckMapAreas(const DiskCheck& check) {
    std::vector<MapArea> areas;
    if (!check.Window())
        return areas;
    const std::uint64_t sector = check.SectorSize();
    const std::uint64_t windowSectors = check.WindowSectors();
    const std::uint64_t readEnd = check.Start() + check.Position();
    Append(areas, 0, check.Start() * sector, '?');
    // Bad sectors in LBA order; the list keeps the order met, which a check reads forwards.
    std::uint64_t at = check.Start();
    for (const std::uint64_t lba : check.BadSectors().Lbas()) {
        if (lba < at || lba >= readEnd)
            continue;
        Append(areas, at * sector, (lba - at) * sector, '+');
        Append(areas, lba * sector, sector, '-');
        at = lba + 1;
    }
    Append(areas, at * sector, (readEnd - at) * sector, '+');
    const std::uint64_t end = windowSectors > readEnd ? windowSectors : readEnd;
    Append(areas, readEnd * sector, (end - readEnd) * sector, '?');
    return areas;
}

std::string DdrescueMapText(const DiskCheck& check, const std::string& commandLine) {
    std::string text = "# Mapfile. Created by vantrel-cli check\n";
    text += "# Command line: " + commandLine + "\n";
    text += "# current_pos  current_status  current_pass\n";
    const std::uint64_t position = (check.Start() + check.Position()) * check.SectorSize();
    text += Hex(check.Complete() ? 0 : position) + "     " + (check.Complete() ? "+" : "?") +
            "               1\n";
    text += "#      pos        size  status\n";
    for (const MapArea& area : CheckMapAreas(check))
        text += Hex(area.position) + "  " + Hex(area.size) + "  " + area.status + "\n";
    return text;
}

bool WriteDdrescueMap(const DiskCheck& check, const std::string& commandLine,
                      const std::string& path, int* error) {
    const std::string temporary = path + ".partial-" + std::to_string(getpid());
    const std::string text = DdrescueMapText(check, commandLine);
    OutputFile file;
    int failure = 0;
    if (!file.Create(temporary))
        failure = file.LastErrno();
    else if (!file.Write(text.data(), text.size()) || !file.Close())
        failure = file.LastErrno() ? file.LastErrno() : EIO;
    if (failure == 0 && !RenamePath(temporary, path, true, &failure) && failure == 0)
        failure = EIO;
    if (failure != 0) {
        // Best effort: the failure itself is what gets reported.
        static_cast<void>(RemoveFile(temporary));
        if (error)
            *error = failure;
        return false;
    }
    return true;
}

} // namespace vantrel
