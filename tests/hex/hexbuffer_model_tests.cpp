// The piece table against a plain byte vector: seeded random edits, groups, undo, redo and saves.
#include "hex/engine/hexbuffer.h"
#include "hextestutil.h"

#include <gtest/gtest.h>
#include <optional>

using namespace pw::hex;
using namespace pw::hex::test;

namespace {

// What the buffer must behave like: the content, one snapshot per undo step and the save point.
struct Model
{
    Bytes content;
    std::vector<Bytes> history{Bytes()}; // history[i]: the content after i steps
    std::size_t applied = 0;
    std::optional<std::size_t> savedAt = 0;
    int depth = 0;
    bool stepOpen = false;

    explicit Model(Bytes initial) : content(initial), history{std::move(initial)} {}

    bool modified() const { return savedAt != applied; }
    void edited()
    {
        if (!stepOpen) {
            history.resize(applied + 1);
            if (savedAt && *savedAt > applied)
                savedAt.reset();
            history.push_back(content);
            ++applied;
            stepOpen = depth > 0;
        } else {
            history[applied] = content;
        }
    }
    void undo()
    {
        stepOpen = false;
        if (applied > 0)
            content = history[--applied];
    }
    void redo()
    {
        stepOpen = false;
        if (applied + 1 < history.size())
            content = history[++applied];
    }
    void saved()
    {
        savedAt = applied;
        stepOpen = false;
    }
    void clearHistory()
    {
        savedAt = modified() ? std::nullopt : std::optional<std::size_t>(0);
        history = {content};
        applied = 0;
        stepOpen = false;
    }
};

// Reads the whole buffer in random chunk sizes and compares it with the model.
void expectSameContent(const HexBuffer &buffer, const Model &model, std::mt19937_64 &random)
{
    ASSERT_EQ(buffer.size(), pw::hex::Offset(model.content.size()));
    Bytes seen(model.content.size());
    std::size_t at = 0;
    while (at < seen.size()) {
        const std::size_t n =
            std::min<std::size_t>(seen.size() - at, 1 + random() % (random() % 2 ? 7 : 300));
        ASSERT_TRUE(buffer.read(pw::hex::Offset(at), seen.data() + at, n));
        at += n;
    }
    ASSERT_EQ(seen, model.content);
    EXPECT_FALSE(buffer.read(buffer.size(), seen.data(), 1)) << "a read past the end";
    EXPECT_FALSE(buffer.hasError()) << buffer.errorString();
}

struct RunConfig
{
    const char *name;
    std::size_t initialSize;
    std::size_t pageSize;
    std::size_t pages;
    int steps;
    bool saves;
};

void runRandomEdits(const RunConfig &config, std::uint64_t seed)
{
    SCOPED_TRACE(std::string(config.name) + " seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    TempDir dir;
    const std::string path = dir.file("data.bin");
    Model model(randomBytes(random, config.initialSize));
    writeFile(path, model.content);

    HexBuffer buffer(pagesOf(config.pageSize, config.pages));
    std::string error;
    ASSERT_TRUE(buffer.open(path, &error)) << error;

    auto randomOffset = [&](std::size_t limit) { return std::size_t(random() % (limit + 1)); };
    for (int step = 0; step < config.steps; ++step) {
        const std::size_t size = model.content.size();
        const int op = int(random() % 100);
        const Bytes bytes = randomBytes(random, 1 + random() % (random() % 4 ? 4 : 64), 4);
        if (op < 20) {
            const std::size_t at = randomOffset(size);
            ASSERT_TRUE(buffer.insert(pw::hex::Offset(at), bytes));
            model.content.insert(model.content.begin() + std::ptrdiff_t(at), bytes.begin(),
                                 bytes.end());
            model.edited();
        } else if (op < 40) {
            const std::size_t at = randomOffset(size);
            ASSERT_TRUE(buffer.overwrite(pw::hex::Offset(at), bytes));
            model.content.resize(std::max(size, at + bytes.size()));
            std::copy(bytes.begin(), bytes.end(), model.content.begin() + std::ptrdiff_t(at));
            model.edited();
        } else if (op < 55) {
            const std::size_t at = randomOffset(size);
            const std::size_t n = randomOffset(std::min<std::size_t>(size - at, 90));
            ASSERT_TRUE(buffer.remove(pw::hex::Offset(at), pw::hex::Offset(n)));
            if (n > 0) {
                model.content.erase(model.content.begin() + std::ptrdiff_t(at),
                                    model.content.begin() + std::ptrdiff_t(at + n));
                model.edited();
            }
        } else if (op < 62) {
            const std::size_t at = randomOffset(size);
            const std::size_t n = randomOffset(std::min<std::size_t>(size - at, 20));
            ASSERT_TRUE(buffer.replace(pw::hex::Offset(at), pw::hex::Offset(n), bytes));
            model.content.erase(model.content.begin() + std::ptrdiff_t(at),
                                model.content.begin() + std::ptrdiff_t(at + n));
            model.content.insert(model.content.begin() + std::ptrdiff_t(at), bytes.begin(),
                                 bytes.end());
            model.edited();
        } else if (op < 65) {
            // Out of range: refused, nothing changes, no step.
            ASSERT_FALSE(buffer.insert(pw::hex::Offset(size) + 1, bytes));
            ASSERT_FALSE(buffer.remove(pw::hex::Offset(size), 1));
            ASSERT_FALSE(buffer.overwrite(-1, bytes));
        } else if (op < 78) {
            buffer.undo();
            model.undo();
        } else if (op < 86) {
            buffer.redo();
            model.redo();
        } else if (op < 91) {
            buffer.beginUndoGroup();
            ++model.depth;
        } else if (op < 96) {
            if (model.depth > 0) {
                buffer.endUndoGroup();
                if (--model.depth == 0)
                    model.stepOpen = false;
            }
        } else if (op < 97) {
            buffer.clearUndoHistory();
            model.clearHistory();
        } else if (config.saves) {
            const bool elsewhere = random() % 2;
            const std::string target =
                elsewhere ? dir.file("copy" + std::to_string(step)) : buffer.path();
            ASSERT_TRUE(elsewhere ? buffer.saveAs(target, &error) : buffer.save(&error)) << error;
            ASSERT_EQ(readFile(target), model.content) << "the saved file";
            model.saved();
            EXPECT_EQ(buffer.path(), target);
        }
        ASSERT_NO_FATAL_FAILURE(expectSameContent(buffer, model, random)) << "after step " << step;
        ASSERT_EQ(buffer.isModified(), model.modified()) << "after step " << step;
        ASSERT_EQ(buffer.canUndo(), model.applied > 0);
        ASSERT_EQ(buffer.canRedo(), model.applied + 1 < model.history.size());
    }
    // Everything undone leads back to the file as opened (or as last saved, when the history was
    // cleared since).
    while (buffer.undo())
        model.undo();
    ASSERT_NO_FATAL_FAILURE(expectSameContent(buffer, model, random));
}

} // namespace

TEST(HexBufferModel, RandomEditsMatchAByteVector)
{
    const RunConfig configs[] = {
        {"empty file, one-byte pages", 0, 1, 2, 150, false},
        {"small file, tiny pages", 300, 7, 3, 250, false},
        {"file larger than the cache", 5000, 64, 4, 250, false},
        {"default pages", 70000, 64 * 1024, 16, 200, false},
        {"with saves and re-basing", 2000, 16, 2, 250, true},
    };
    for (const RunConfig &config : configs) {
        for (std::uint64_t seed = 1; seed <= 40; ++seed)
            ASSERT_NO_FATAL_FAILURE(runRandomEdits(config, seed));
    }
}

TEST(HexBufferModel, TypingStaysFewPieces)
{
    TempDir dir;
    writeFile(dir.file("f"), Bytes(100000, 0x11));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(dir.file("f")));
    // A run of typed bytes, each its own step, joins the pieces it touches.
    for (int i = 0; i < 1000; ++i) {
        const std::uint8_t b = std::uint8_t(i);
        ASSERT_TRUE(buffer.overwrite(500 + i, {&b, 1}));
    }
    EXPECT_EQ(buffer.pieceCount(), 3u);
    for (int i = 0; i < 1000; ++i) {
        const std::uint8_t b = std::uint8_t(i);
        ASSERT_TRUE(buffer.insert(50000 + i, {&b, 1}));
    }
    EXPECT_EQ(buffer.pieceCount(), 5u);
    while (buffer.undo()) {
    }
    EXPECT_EQ(buffer.pieceCount(), 1u) << "undoing everything gives back the one file piece";
    EXPECT_FALSE(buffer.isModified());
}

TEST(HexBufferModel, GroupsUndoAsOneStepAndReportTheirChange)
{
    TempDir dir;
    writeFile(dir.file("f"), text("0123456789"));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(dir.file("f")));
    {
        HexBuffer::UndoGroup group(buffer);
        ASSERT_TRUE(buffer.remove(2, 3));
        {
            HexBuffer::UndoGroup inner(buffer); // nested groups join the outer one
            ASSERT_TRUE(buffer.insert(0, text("ab")));
        }
        ASSERT_TRUE(buffer.overwrite(8, text("XYZ")));
    }
    EXPECT_EQ(buffer.bytes(0, 100), text("ab015678XYZ"));
    const std::optional<EditRange> undone = buffer.undo();
    ASSERT_TRUE(undone);
    EXPECT_EQ(*undone, (EditRange{2, 0, 3})) << "the group's first edit, undone last";
    EXPECT_EQ(buffer.bytes(0, 100), text("0123456789"));
    EXPECT_FALSE(buffer.canUndo());
    const std::optional<EditRange> redone = buffer.redo();
    ASSERT_TRUE(redone);
    EXPECT_EQ(*redone, (EditRange{8, 1, 3})) << "the overwrite replaced one byte and added two";
    EXPECT_EQ(buffer.bytes(0, 100), text("ab015678XYZ"));
    EXPECT_FALSE(buffer.redo());
}

TEST(HexBufferModel, SavePointFollowsUndoAndIsLostWhenItsBranchIsDropped)
{
    TempDir dir;
    writeFile(dir.file("f"), text("abc"));
    HexBuffer buffer;
    ASSERT_TRUE(buffer.open(dir.file("f")));
    ASSERT_TRUE(buffer.insert(3, text("d")));
    ASSERT_TRUE(buffer.insert(4, text("e")));
    buffer.setSavePoint();
    EXPECT_FALSE(buffer.isModified());
    buffer.undo();
    EXPECT_TRUE(buffer.isModified());
    buffer.redo();
    EXPECT_FALSE(buffer.isModified());
    buffer.undo();
    ASSERT_TRUE(buffer.insert(0, text("z"))); // drops the redo step that led to the save point
    buffer.undo();
    buffer.redo();
    EXPECT_TRUE(buffer.isModified());
    buffer.undo();
    EXPECT_TRUE(buffer.isModified()) << "\"abcd\" was never saved";
}
