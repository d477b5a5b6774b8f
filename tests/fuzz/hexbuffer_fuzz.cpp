// libFuzzer target: buffer edit, undo, save and search runs against a byte vector; the box texts.
#include "hex/engine/hexbuffer.h"
#include "hex/engine/hexsearch.h"
#include "hex/engine/hextext.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pw::hex;
using Bytes = std::vector<std::uint8_t>;

namespace {

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__);            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_at >= m_size; }
    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::size_t number(std::size_t limit) // in [0, limit]
    {
        const std::size_t v = std::size_t(byte()) << 8 | byte();
        return limit == 0 ? 0 : v % (limit + 1);
    }
    Bytes bytes(std::size_t most)
    {
        const std::size_t n =
            std::min<std::size_t>(byte() % (most + 1), m_size - std::min(m_at, m_size));
        Bytes out(m_data + m_at, m_data + m_at + n);
        m_at += n;
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// One folder per fuzzing process, in memory where the system offers it, made for each input and
// removed after it (libFuzzer may end the process without running exit handlers).
const std::filesystem::path &folder()
{
    static const std::filesystem::path path =
        std::filesystem::path(std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") /
        ("pwhexfuzz." + std::to_string(::getpid()));
    return path;
}

void writeFile(const std::string &path, const Bytes &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    CHECK(f != nullptr);
    CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    std::fclose(f);
}

Bytes readFile(const std::string &path)
{
    Bytes out;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    CHECK(f != nullptr);
    std::uint8_t chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        out.insert(out.end(), chunk, chunk + n);
    std::fclose(f);
    return out;
}

std::uint8_t fold(std::uint8_t b)
{
    return b >= 'A' && b <= 'Z' ? b | 0x20 : b;
}

Offset bruteForce(const Bytes &data, const SearchPattern &p, Offset from, bool up)
{
    const auto size = Offset(data.size()), m = Offset(p.bytes.size());
    from = std::clamp<Offset>(from, 0, size);
    auto at = [&](Offset s) {
        for (Offset i = 0; i < m; ++i) {
            const std::uint8_t a = data[std::size_t(s + i)], b = p.bytes[std::size_t(i)];
            if (p.caseSensitive ? a != b : fold(a) != fold(b))
                return false;
        }
        return true;
    };
    if (up) {
        for (Offset s = std::min(from - 1, size - m); s >= 0; --s)
            if (at(s))
                return s;
    } else {
        for (Offset s = from; s + m <= size; ++s)
            if (at(s))
                return s;
    }
    return -1;
}

// The buffer's promised behaviour, in the plainest form: the content after every undo step.
struct Model
{
    Bytes content;
    std::vector<Bytes> history;
    std::size_t applied = 0;
    std::optional<std::size_t> savedAt = 0;
    int depth = 0;
    bool stepOpen = false;

    void edited()
    {
        if (stepOpen) {
            history[applied] = content;
            return;
        }
        history.resize(applied + 1);
        if (savedAt && *savedAt > applied)
            savedAt.reset();
        history.push_back(content);
        ++applied;
        stepOpen = depth > 0;
    }
};

void checkSame(const HexBuffer &buffer, const Model &model, Input &in)
{
    CHECK(buffer.size() == Offset(model.content.size()));
    Bytes seen(model.content.size());
    for (std::size_t at = 0; at < seen.size();) {
        const std::size_t n = std::min<std::size_t>(seen.size() - at, 1 + in.byte() % 97);
        CHECK(buffer.read(Offset(at), seen.data() + at, n));
        at += n;
    }
    CHECK(seen == model.content);
    CHECK(buffer.isModified() == (model.savedAt != model.applied));
    CHECK(buffer.canUndo() == (model.applied > 0));
    CHECK(buffer.canRedo() == (model.applied + 1 < model.history.size()));
    CHECK(!buffer.hasError());
}

void fuzzTexts(Input &in)
{
    const Bytes raw = in.bytes(40);
    const std::string text(raw.begin(), raw.end());
    const Bytes lenient = parseHexPattern(text);
    CHECK(lenient.size() <= text.size() / 2);
    Bytes strict;
    std::string error;
    if (parseHexBytes(text, strict, &error))
        CHECK(strict == lenient); // where the strict form accepts, both forms agree
    else
        CHECK(!error.empty());
    for (const bool hex : {false, true}) {
        const OffsetText parsed = parseOffsetText(text, hex);
        CHECK(parsed.value >= 0);
        CHECK((parsed.status == OffsetTextStatus::Empty) == text.empty());
    }
}

void runEdits(Input &in);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    fuzzTexts(in);
    std::filesystem::create_directories(folder());
    runEdits(in);
    std::error_code ec;
    std::filesystem::remove_all(folder(), ec);
    return 0;
}

namespace {

void runEdits(Input &in)
{
    const std::string path = (folder() / "data").string();
    Model model;
    model.content = in.bytes(200);
    model.history = {model.content};
    writeFile(path, model.content);
    BufferOptions options;
    options.cache = {std::size_t(1 + in.byte() % 32), std::size_t(1 + in.byte() % 3)};
    HexBuffer buffer(options);
    CHECK(buffer.open(path));
    SaveOptions quick;
    quick.sync = false; // the folder is in memory; flushing proves nothing here

    for (int steps = 0; !in.empty() && steps < 200; ++steps) {
        const std::size_t length = model.content.size();
        switch (in.byte() % 12) {
        case 0: { // insert
            const std::size_t at = in.number(length);
            const Bytes b = in.bytes(16);
            CHECK(buffer.insert(Offset(at), b));
            if (!b.empty()) {
                model.content.insert(model.content.begin() + std::ptrdiff_t(at), b.begin(),
                                     b.end());
                model.edited();
            }
            break;
        }
        case 1: { // overwrite
            const std::size_t at = in.number(length);
            const Bytes b = in.bytes(16);
            CHECK(buffer.overwrite(Offset(at), b));
            if (!b.empty()) {
                model.content.resize(std::max(length, at + b.size()));
                std::copy(b.begin(), b.end(), model.content.begin() + std::ptrdiff_t(at));
                model.edited();
            }
            break;
        }
        case 2:
        case 3: { // remove or replace
            const std::size_t at = in.number(length);
            const std::size_t n = in.number(length - at);
            const Bytes b = in.byte() % 2 ? in.bytes(8) : Bytes();
            CHECK(buffer.replace(Offset(at), Offset(n), b));
            if (n > 0 || !b.empty()) {
                model.content.erase(model.content.begin() + std::ptrdiff_t(at),
                                    model.content.begin() + std::ptrdiff_t(at + n));
                model.content.insert(model.content.begin() + std::ptrdiff_t(at), b.begin(),
                                     b.end());
                model.edited();
            }
            break;
        }
        case 4: // out of range: refused, nothing changes
            CHECK(!buffer.remove(Offset(in.number(length)), Offset(length) + 1));
            CHECK(!buffer.insert(Offset(length) + 1 + Offset(in.byte()), Bytes{1}));
            break;
        case 5:
            model.stepOpen = false;
            CHECK(buffer.undo().has_value() == (model.applied > 0));
            if (model.applied > 0)
                model.content = model.history[--model.applied];
            break;
        case 6:
            model.stepOpen = false;
            CHECK(buffer.redo().has_value() == (model.applied + 1 < model.history.size()));
            if (model.applied + 1 < model.history.size())
                model.content = model.history[++model.applied];
            break;
        case 7:
            buffer.beginUndoGroup();
            ++model.depth;
            break;
        case 8:
            buffer.endUndoGroup();
            if (model.depth > 0 && --model.depth == 0)
                model.stepOpen = false;
            break;
        case 9: {
            const bool elsewhere = in.byte() % 2;
            const std::string target = elsewhere ? (folder() / "other").string() : buffer.path();
            if (in.byte() % 4 == 0) { // now and then: forget the history first
                buffer.clearUndoHistory();
                model.savedAt =
                    model.savedAt != model.applied ? std::nullopt : std::optional<std::size_t>(0);
                model.history = {model.content};
                model.applied = 0;
                model.stepOpen = false;
            }
            std::string error;
            CHECK(elsewhere ? buffer.saveAs(target, &error, quick) : buffer.save(&error, quick));
            CHECK(readFile(target) == model.content);
            model.savedAt = model.applied;
            model.stepOpen = false;
            break;
        }
        default: { // search
            SearchPattern pattern;
            pattern.bytes = in.bytes(5);
            pattern.caseSensitive = in.byte() % 2;
            const HexSearch search(pattern, std::size_t(1 + in.byte() % 40));
            const Offset from = Offset(in.number(length + 2)) - 1;
            const bool up = in.byte() % 2;
            const SearchResult r = search.find(buffer, from, up);
            if (pattern.bytes.empty()) {
                CHECK(r.status == SearchStatus::EmptyPattern);
            } else {
                CHECK(r.status == SearchStatus::Found || r.status == SearchStatus::NotFound);
                CHECK((r.found() ? r.offset : -1) == bruteForce(model.content, pattern, from, up));
            }
            break;
        }
        }
        checkSame(buffer, model, in);
    }
}

} // namespace
