#include "engine/tree/ScanMethod.h"

#include "platform/Utf.h"

namespace vantrel {

namespace {

ScanMethodFactory& Factory() {
    static ScanMethodFactory factory;
    return factory;
}

} // namespace

std::u16string ScanMethod::MethodName() const {
    return FromUtf8("不明な方式");
}

void SetScanMethodFactory(ScanMethodFactory factory) {
    Factory() = std::move(factory);
}

const ScanMethodFactory& GetScanMethodFactory() {
    return Factory();
}

} // namespace vantrel
