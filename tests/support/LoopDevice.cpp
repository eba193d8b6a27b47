#include "LoopDevice.h"

#include "CliRunner.h"
#include "Fixtures.h"

namespace vantrel::testing {

LoopDevice::LoopDevice(const std::filesystem::path& image, std::uint32_t sectorSize) {
    const std::filesystem::path out = image.string() + ".loop";
    const std::string sizeOption =
        sectorSize ? "--sector-size " + std::to_string(sectorSize) + " " : std::string();
    const int rc = RunCommand("losetup " + sizeOption + "-f --show " + ShellQuote(image.string()) +
                              " >" + ShellQuote(out.string()) + " 2>/dev/null");
    node_ = ReadFileBytes(out);
    while (!node_.empty() && (node_.back() == '\n' || node_.back() == ' '))
        node_.pop_back();
    if (rc != 0)
        node_.clear();
    std::error_code ec;
    std::filesystem::remove(out, ec);
}

LoopDevice::~LoopDevice() {
    if (!node_.empty())
        RunCommand("losetup -d " + ShellQuote(node_) + " 2>/dev/null");
}

} // namespace vantrel::testing
