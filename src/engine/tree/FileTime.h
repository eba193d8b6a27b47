#pragma once

// File times: signed 64-bit seconds since 1970-01-01 UTC. A time that could not be
// converted stays unknown; the file is kept (hiding it would hide a recoverable file).

#include <cstdint>
#include <optional>

namespace vantrel {

using FileTime = std::optional<std::int64_t>;

} // namespace vantrel
