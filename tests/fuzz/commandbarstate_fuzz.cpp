// Fuzzes the command bars' saved-layout reader: no crash, hang or sanitizer report, and whatever
// it accepts writes back to bytes it reads as the same layout, also after dropping commands.
#include "chrome/engine/commandbarstate.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "commandbarstate_fuzz: %s\n", what);
        std::abort();
    }
}

void checkRoundTrip(const pw::CommandBarState &state)
{
    const QByteArray bytes = state.serialise();
    QString error;
    const std::optional<pw::CommandBarState> back = pw::CommandBarState::parse(bytes, &error);
    require(back.has_value(), "a serialised layout does not parse");
    require(*back == state, "parse(serialise(x)) differs from x");
    require(back->serialise() == bytes, "serialising twice gives other bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    std::optional<pw::CommandBarState> state = pw::CommandBarState::parse(input, &error);
    if (!state) {
        require(!error.isEmpty(), "a refused layout comes without a reason");
        return 0;
    }
    require(state->builtInToolbar() != nullptr, "an accepted layout lacks the built-in toolbar");
    checkRoundTrip(*state);
    // Dropping commands the way the program does for unknown ids keeps the layout readable.
    state->keepOnly([](int id) { return id % 3 != 0; }, [](int id) { return id % 2 == 0; });
    checkRoundTrip(*state);
    return 0;
}
