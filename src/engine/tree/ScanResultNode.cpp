#include "engine/tree/ScanResultNode.h"

#include "platform/Utf.h"

namespace vantrel {

ScanResultNode::~ScanResultNode() = default;

bool ScanResultNode::SetUp(CDiskWindow* window, std::uint64_t start, std::uint64_t length) {
    if (!window)
        return false;
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window->GetCapacity(&lastLba, &sectorSize) || lastLba == 0 || sectorSize == 0)
        return false;
    const std::uint64_t total = lastLba + 1;
    if (length == ~std::uint64_t{0}) {
        if (start != 0)
            return false;
        length = total;
    }
    if (length == 0 || start > total || length > total - start)
        return false;
    window_ = window;
    start_ = start;
    length_ = length;
    SetName(FromUtf8("スキャン結果"));
    SetDeleted(true);
    SetAnalysed(true);
    return true;
}

void ScanResultNode::Reset() {
    ResultNode::Reset();
    method_.reset();
    window_ = nullptr;
    start_ = 0;
    length_ = 0;
    cursor_ = 0;
    FolderKeys().Clear();
    FileKeys().Clear();
    ClearRebuild();
}

void ScanResultNode::AttachMethod(std::unique_ptr<ScanMethod> method) {
    ClearChildren();
    ClearFiles();
    FolderKeys().Clear();
    FileKeys().Clear();
    cursor_ = 0;
    ClearRebuild();
    method_ = std::move(method);
}

bool ScanResultNode::SelectMethod(MethodCode code) {
    AttachMethod(nullptr);
    const ScanMethodFactory& factory = GetScanMethodFactory();
    if (!factory)
        return false;
    std::unique_ptr<ScanMethod> method = factory(code, *this);
    if (!method)
        return false;
    method_ = std::move(method);
    return true;
}

std::u16string ScanResultNode::MethodName() const {
    return method_ ? method_->MethodName() : std::u16string{};
}

StepResult ScanResultNode::SearchStep() {
    return method_ ? method_->SearchStep() : kStepFailed;
}

StepResult ScanResultNode::DetectStep() {
    return method_ ? method_->DetectStep() : kStepFailed;
}

StepResult ScanResultNode::FinishStep() {
    return method_ ? method_->FinishStep() : kStepComplete;
}

void ScanResultNode::DetectStopped() {
    if (method_)
        method_->DetectStopped();
}

BadSectorList* ScanResultNode::BadSectors() {
    return method_ ? &method_->BadSectors() : nullptr;
}

} // namespace vantrel
