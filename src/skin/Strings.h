#pragma once

#include <QString>

namespace vantrel {

// The string table entries of the toolbar and start-page commands (33000-33010): the prompt
// that the status bar shows and the balloon tips take their text from. Empty for an id that
// has no entry.
QString ResourceString(unsigned id);

} // namespace vantrel
