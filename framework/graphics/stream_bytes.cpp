// Streams into bytes.

#include "graphics/stream_bytes.h"

#include "framework/graphics.h"

namespace fw::graphics {

std::vector<uint8_t> ReadRemainingBytes(TStream* stream)
{
    // A picture at the size limits takes at most some 1 GiB of pixels; its file is not
    // larger than that plus headers.
    constexpr int64_t kMaxFileBytes = (int64_t{1} << 30) + (int64_t{1} << 20);
    const int64_t size = stream->Size() - stream->Position();
    if (size < 0 || size > kMaxFileBytes)
        throw EInvalidGraphic(QStringLiteral("Picture file is too large"));
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0)
        stream->ReadBuffer(bytes.data(), static_cast<int32_t>(size));
    return bytes;
}

}
