// The read-only view of a run of bytes that searches and painting work on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pw::hex {

// Byte offsets and lengths. Signed so that differences never wrap; a file can never reach 2^63.
using Offset = std::int64_t;

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Number of bytes, never negative.
    virtual Offset size() const = 0;
    // Copies bytes [offset, offset + length) to dst. False when the range does not lie within
    // [0, size()) (then nothing is copied) or when some bytes could not be delivered (then those
    // are zero-filled and the source says why).
    virtual bool read(Offset offset, void *dst, std::size_t length) const = 0;
};

} // namespace pw::hex
