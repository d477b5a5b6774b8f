// Fuzzes recovery files as the start-up list and the recovery read them: no input may crash,
// read out of bounds, or pass for a snapshot whose parts do not add up.
#include "recovery/engine/recoveryfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const std::optional<pw::recovery::Snapshot> full = pw::recovery::decodeSnapshot(bytes, size);
    const QByteArray copy(bytes, qsizetype(size));
    const std::optional<pw::recovery::SnapshotHeader> header =
        pw::recovery::decodeHeader(copy, std::int64_t(size));
    // Whatever the whole file accepts, its header alone accepts too, and the text lies inside it.
    if (full) {
        if (!header || header->path != full->header.path || header->caret != full->header.caret)
            std::abort();
        if (std::size_t(full->text.size()) >= size)
            std::abort();
    }
    return 0;
}
