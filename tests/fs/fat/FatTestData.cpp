#include "FatTestData.h"

#include "fs/fat/FatLongNameEntry.h"
#include "platform/ByteReader.h"

#include <algorithm>

namespace vantrel::fattest {

std::vector<std::uint8_t> MakeBootSector(const BootParams& p) {
    std::vector<std::uint8_t> s(512, 0);
    s[0] = 0xEB;
    s[1] = 0x3C;
    s[2] = 0x90;
    std::copy_n("MSWIN4.1", 8, s.begin() + 3);
    PutLe(s, 11, p.bytesPerSector, 2);
    s[13] = p.sectorsPerCluster;
    PutLe(s, 14, p.reservedSectors, 2);
    s[16] = p.numFats;
    PutLe(s, 17, p.rootEntryCount, 2);
    if (p.totalSectors < 65536 && !p.fat32Layout)
        PutLe(s, 19, p.totalSectors, 2);
    else
        PutLe(s, 32, p.totalSectors, 4);
    s[21] = 0xF8;
    PutLe(s, 24, 63, 2);
    PutLe(s, 26, 255, 2);
    PutLe(s, 28, p.hiddenSectors, 4);
    if (p.fat32Layout) {
        PutLe(s, 36, p.fatSize, 4);
        PutLe(s, 44, p.rootCluster, 4);
        PutLe(s, 48, 1, 2);
        PutLe(s, 50, 6, 2);
        if (p.extended) {
            s[64] = 0x80;
            s[66] = 0x29;
            std::copy_n("NO NAME    FAT32   ", 19, s.begin() + 71);
        }
    } else {
        PutLe(s, 22, p.fatSize, 2);
        if (p.extended) {
            s[36] = 0x80;
            s[38] = 0x29;
            std::copy_n("NO NAME    FAT16   ", 19, s.begin() + 43);
        }
    }
    s[510] = 0x55;
    s[511] = 0xAA;
    return s;
}

std::vector<std::uint8_t> ShortSlot(const std::string& name11, std::uint8_t attributes,
                                    std::uint32_t firstCluster, std::uint32_t fileSize) {
    std::vector<std::uint8_t> s(32, 0);
    std::copy_n(name11.begin(), std::min<std::size_t>(11, name11.size()), s.begin());
    s[11] = attributes;
    PutLe(s, 14, 0x6000, 2); // 12:00:00
    PutLe(s, 16, 0x5A21, 2); // 2025-01-01
    PutLe(s, 18, 0x5A21, 2);
    PutLe(s, 20, firstCluster >> 16, 2);
    PutLe(s, 22, 0x6000, 2);
    PutLe(s, 24, 0x5A21, 2);
    PutLe(s, 26, firstCluster & 0xFFFF, 2);
    PutLe(s, 28, fileSize, 4);
    return s;
}

std::vector<std::uint8_t> LongSlots(const std::u16string& name, const std::string& name11,
                                    bool deleted) {
    const std::uint8_t sum =
        ShortNameChecksum(Bytes(reinterpret_cast<const std::uint8_t*>(name11.data()), 11));
    const std::size_t parts = (name.size() + 12) / 13;
    std::vector<std::uint8_t> out;
    static constexpr std::size_t kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    for (std::size_t part = parts; part-- > 0;) {
        std::vector<std::uint8_t> s(32, 0);
        s[0] = static_cast<std::uint8_t>((part + 1) | (part + 1 == parts ? 0x40 : 0));
        if (deleted)
            s[0] = 0xE5;
        s[11] = 0x0F;
        s[13] = sum;
        for (std::size_t i = 0; i < 13; ++i) {
            const std::size_t at = part * 13 + i;
            std::uint16_t c = 0xFFFF;
            if (at < name.size())
                c = name[at];
            else if (at == name.size())
                c = 0;
            PutLe(s, kOffsets[i], c, 2);
        }
        Append(out, s);
    }
    return out;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

} // namespace vantrel::fattest
