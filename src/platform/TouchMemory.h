// Reading memory once ahead of its use, so that what it costs the first time (a page brought in,
// a virtual machine's first touch of a page, a cache miss) is paid where there is time to spare.
#pragma once

#include <cstddef>

namespace quorvik::platform {

// Reads one byte every `stride` bytes of the `size` bytes at `bytes`.
inline void ReadOnce(const void* bytes, std::size_t size, std::size_t stride) {
    const auto* at = static_cast<const volatile unsigned char*>(bytes);
    unsigned char seen = 0;
    for (std::size_t offset = 0; offset < size; offset += stride)
        seen |= at[offset];
    static_cast<void>(seen);
}

} // namespace quorvik::platform
