#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Cuts `text` to at most `max_bytes` bytes without splitting a UTF-8 sequence: when the cut
// would fall inside one, the whole sequence goes. Bytes that are not UTF-8 are cut where they are.
void CutAtUtf8Boundary(std::string& text, std::size_t max_bytes);

}  // namespace platform
