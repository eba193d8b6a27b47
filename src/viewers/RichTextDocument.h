#pragma once

// An RTF document read by our reader, laid out as a Qt text document.

#include "viewers/core/RtfReader.h"

class QTextDocument;

namespace vantrel {

void FillTextDocument(QTextDocument& target, const RtfDocument& document);

} // namespace vantrel
