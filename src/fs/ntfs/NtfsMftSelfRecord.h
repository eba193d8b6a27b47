#pragma once

// Recognises the MFT's own record (record 0, named "$MFT") in raw sectors, so that a scan
// can find a volume whose boot sector is lost.

#include "platform/ByteReader.h"

namespace vantrel {

// A "FILE" record one of whose resident $FILE_NAME attributes, walked in record order,
// has a name that reads "$MFT" in the ANSI code page. A $FILE_NAME whose value is empty
// or does not fit ends the walk.
bool IsMftSelfRecord(Bytes record);

} // namespace vantrel
