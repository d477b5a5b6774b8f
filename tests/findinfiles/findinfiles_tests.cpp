// The find-in-files engine on generated folder trees: which files, which lines, in which
// encodings, and the walk's reports of link loops, unreadable folders and stops.
#include "findinfiles/engine/filetypes.h"
#include "findinfiles/engine/findinfiles.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <unistd.h>

using namespace pw::fif;
namespace fs = std::filesystem;

namespace {

class Collector : public FindCallback
{
public:
    void onStatus(const FindStatus &status) override { statuses.push_back(status); }
    void onMatches(std::vector<Hit> &&batch) override
    {
        ++batches;
        for (Hit &hit : batch)
            hits.push_back(std::move(hit));
        if (onBatch)
            onBatch();
    }
    void onFinished(const FindSummary &s) override
    {
        const std::lock_guard lock(mutex);
        summary = s;
        done = true;
        finished.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(mutex);
        finished.wait(lock, [this] { return done; });
    }

    std::vector<FindStatus> statuses;
    std::vector<Hit> hits;
    FindSummary summary;
    int batches = 0;
    std::function<void()> onBatch;

private:
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

class Tree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("pw-fif-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "sub");
        write("a.c", "int main\nfoo bar\nFoo bar baz\n");
        write("b.H", "foobar\nfoo\n");
        write("notes", "foo in a file without a dot\n");
        write("sub/c.c", "x foo\n");
        static const char binary[] = "foo\0\x01\x02 binary";
        write(std::string("bin.c"), std::string(binary, sizeof binary - 1));
        // UTF-16 little endian with its mark: "hello foo\nsecond F\u00f6o foo\n".
        std::string u16 = "\xFF\xFE";
        for (char16_t c : std::u16string(u"hello foo\nsecond F\u00f6o foo\n")) {
            u16.push_back(char(c & 0xFF));
            u16.push_back(char(c >> 8));
        }
        write("u16.txt", u16);
        // Windows-1252 text: the line shows as the editor decodes it.
        write("ansi.txt", "caf\xE9 foo\n");
        // Old Macintosh line ends.
        write("mac.txt", "one\rtwo foo\rthree\r");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(root / "locked", fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }
    void write(const std::string &name, const std::string &bytes)
    {
        std::ofstream(root / name, std::ios::binary) << bytes;
    }
    FindQuery query(const char *text) const
    {
        FindQuery q;
        q.text = text;
        q.folder = root.string();
        q.subfolders = true;
        return q;
    }
    void run(FindQuery q, Collector &collector)
    {
        CFindInFiles engine;
        ASSERT_TRUE(engine.find(std::move(q), &collector));
        collector.wait();
        engine.cleanup();
    }
    // "name:line:column" of each hit, names relative to the root.
    std::set<std::string> found(const Collector &collector) const
    {
        std::set<std::string> out;
        for (const Hit &hit : collector.hits)
            out.insert(fs::path(hit.path).lexically_relative(root).string() + ":" +
                       std::to_string(hit.line) + ":" + std::to_string(hit.column));
        return out;
    }
    const Hit *hitIn(const Collector &collector, const std::string &name) const
    {
        for (const Hit &hit : collector.hits)
            if (hit.path == (root / name).string())
                return &hit;
        return nullptr;
    }

    fs::path root;
};

} // namespace

TEST(FileTypes, WildcardsIgnoreCaseAndStarDotStarTakesEverything)
{
    struct Row
    {
        const char *list;
        const char *name;
        bool matches;
    };
    const Row rows[] = {
        {"*.*", "Makefile", true},     {"*.*", "a.c", true},        {"", "a", true},
        {"*.c;*.h", "x.H", true},      {"*.c;*.h", "x.cpp", false}, {"*.C", "a.c", true},
        {"*.c; *.h", "y.h", true},     {"a?c.txt", "abc.txt", true}, {"a?c.txt", "ac.txt", false},
        {"*file*", "MyFileX", true},   {"*.c", "c", false},         {"Makefile", "makefile", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.list) + " / " + row.name);
        EXPECT_EQ(FileTypeFilter(row.list).matches(row.name), row.matches);
    }
}

TEST_F(Tree, OptionsChooseFilesAndLines)
{
    struct Row
    {
        const char *name;
        const char *text;
        const char *types;
        bool subfolders, matchCase, wholeWord, regExp;
        std::set<std::string> expected;
    };
    const Row rows[] = {
        {"every file, ignoring case", "foo", "*.*", true, false, false, false,
         {"a.c:2:0", "a.c:3:0", "b.H:1:0", "b.H:2:0", "notes:1:0", "sub/c.c:1:2", "u16.txt:1:6",
          "u16.txt:2:12", "ansi.txt:1:6", "mac.txt:2:4"}},
        {"types and no subfolders", "foo", "*.c;*.h", false, false, false, false,
         {"a.c:2:0", "a.c:3:0", "b.H:1:0", "b.H:2:0"}},
        {"match case", "Foo", "*.c", true, true, false, false, {"a.c:3:0"}},
        // "F\u00f6o" is no "foo"; the whole word is found later on the line.
        {"whole word", "foo", "*.h;*.txt", true, false, true, false,
         {"b.H:2:0", "u16.txt:1:6", "u16.txt:2:12", "ansi.txt:1:6", "mac.txt:2:4"}},
        {"regular expression", "^f[a-z]+$", "*.*", true, true, false, true,
         {"b.H:1:0", "b.H:2:0"}},
        // Files are passed over by the literal start, which folds like the expression.
        {"regular expression with a literal start", "BAR b[a-z]+", "*.c", false, false, false,
         true, {"a.c:3:4"}},
        {"component syntax: word start", "\\<ba", "*.c", false, false, false, true,
         {"a.c:2:4", "a.c:3:4"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FindQuery q = query(row.text);
        q.fileTypes = row.types;
        q.subfolders = row.subfolders;
        q.matchCase = row.matchCase;
        q.wholeWord = row.wholeWord;
        q.regExp = row.regExp;
        Collector collector;
        run(q, collector);
        EXPECT_EQ(found(collector), row.expected);
        EXPECT_EQ(collector.summary.matches, qint64(row.expected.size()));
    }
}

TEST_F(Tree, LinesShowAsTheEditorDecodesThem)
{
    Collector collector;
    run(query("foo"), collector);
    const Hit *ansi = hitIn(collector, "ansi.txt");
    ASSERT_TRUE(ansi);
    EXPECT_EQ(ansi->text, "caf\xC3\xA9 foo");
    const Hit *u16 = nullptr;
    for (const Hit &hit : collector.hits)
        if (hit.path == (root / "u16.txt").string() && hit.line == 2)
            u16 = &hit;
    ASSERT_TRUE(u16);
    EXPECT_EQ(u16->text, "second F\xC3\xB6o foo");
    // The binary file is left out and not counted as searched.
    EXPECT_EQ(hitIn(collector, "bin.c"), nullptr);
    EXPECT_EQ(collector.summary.filesSearched, 7);
    EXPECT_EQ(collector.summary.filesWithMatches, 7);
}

TEST_F(Tree, UnsavedTextIsSearchedInsteadOfTheFile)
{
    FindQuery q = query("unsaved");
    q.unsaved[(root / "a.c").string()] = "nothing\nan unsaved foo\n";
    Collector collector;
    run(q, collector);
    EXPECT_EQ(found(collector), std::set<std::string>{"a.c:2:3"});
}

TEST_F(Tree, LinkLoopIsReportedOnceAndSkipped)
{
    fs::create_directory_symlink(root, root / "sub" / "loop");
    Collector collector;
    run(query("x foo"), collector);
    EXPECT_EQ(found(collector), std::set<std::string>{"sub/c.c:1:0"});
    int loops = 0;
    for (const FindStatus &status : collector.statuses)
        if (status.kind == StatusKind::LinkLoop) {
            ++loops;
            EXPECT_EQ(status.path, (root / "sub" / "loop").string());
        }
    EXPECT_EQ(loops, 1);
}

TEST_F(Tree, UnreadableFolderIsReportedOnce)
{
    fs::create_directory(root / "locked");
    write("locked/d.c", "foo\n");
    fs::permissions(root / "locked", fs::perms::none);
    if (::access((root / "locked").c_str(), R_OK) == 0)
        GTEST_SKIP() << "running with the right to read any folder (root): permissions cannot "
                        "make a folder unreadable";
    Collector collector;
    run(query("x foo"), collector);
    EXPECT_EQ(found(collector), std::set<std::string>{"sub/c.c:1:0"});
    int unreadable = 0;
    for (const FindStatus &status : collector.statuses)
        unreadable += status.kind == StatusKind::UnreadableFolder;
    EXPECT_EQ(unreadable, 1);
}

TEST_F(Tree, StopEndsTheSearchEarly)
{
    fs::create_directory(root / "many");
    const int files = 4000;
    for (int i = 0; i < files; ++i)
        write("many/f" + std::to_string(i) + ".txt", "needle\n");
    FindQuery q = query("needle");
    CFindInFiles engine;
    Collector collector;
    collector.onBatch = [&engine] { engine.stopSearch(); };
    ASSERT_TRUE(engine.find(q, &collector));
    collector.wait();
    engine.cleanup();
    EXPECT_TRUE(collector.summary.stopped);
    EXPECT_LT(collector.summary.filesSearched, files);
    // A new search runs on the same object once the last one is cleaned up.
    Collector again;
    ASSERT_TRUE(engine.find(query("x foo"), &again));
    again.wait();
    EXPECT_FALSE(again.summary.stopped);
    EXPECT_EQ(again.hits.size(), 1u);
}

TEST_F(Tree, InvalidRegularExpressionIsReported)
{
    FindQuery q = query("\\(");
    q.regExp = true;
    Collector collector;
    run(q, collector);
    EXPECT_TRUE(collector.hits.empty());
    ASSERT_EQ(collector.statuses.size(), 2u);
    EXPECT_EQ(collector.statuses[1].kind, StatusKind::InvalidPattern);
}

TEST_F(Tree, MissingFolderIsReportedAsUnreadable)
{
    FindQuery q = query("foo");
    q.folder = (root / "nothing-here").string();
    Collector collector;
    run(q, collector);
    ASSERT_EQ(collector.statuses.size(), 2u);
    EXPECT_EQ(collector.statuses[1].kind, StatusKind::UnreadableFolder);
    EXPECT_EQ(collector.statuses[1].path, q.folder);
    EXPECT_EQ(collector.summary.filesSearched, 0);
}

TEST_F(Tree, FilesLargerThanOneChunkKeepTheirLineNumbers)
{
    // Lines of 18 bytes, so the chunk edges fall inside lines and between CR and LF alike.
    const int lines = 600'000;
    const std::set<int> needles = {1, 233'017, 233'018, lines};
    auto makeText = [&](const std::string &end) {
        std::string text;
        for (int i = 1; i <= lines; ++i)
            text += (needles.count(i) ? "needle here 0123" : "filler text 0123") + end;
        return text;
    };
    fs::create_directories(root / "big");
    write("big/crlf.txt", makeText("\r\n"));
    const std::string lf = makeText("\n");
    write("big/lf.txt", lf);
    // UTF-16 is decoded chunk by chunk.
    std::string u16 = "\xFF\xFE";
    u16.reserve(2 * lf.size() + 2);
    for (char c : lf) {
        u16.push_back(c);
        u16.push_back(0);
    }
    write("big/u16.txt", u16);
    Collector collector;
    FindQuery q = query("needle");
    q.folder = (root / "big").string();
    run(q, collector);
    std::set<std::string> expected;
    for (int line : needles) {
        expected.insert("crlf.txt:" + std::to_string(line) + ":0");
        expected.insert("lf.txt:" + std::to_string(line) + ":0");
        expected.insert("u16.txt:" + std::to_string(line) + ":0");
    }
    std::set<std::string> got;
    for (const Hit &hit : collector.hits) {
        got.insert(fs::path(hit.path).filename().string() + ":" + std::to_string(hit.line) + ":" +
                   std::to_string(hit.column));
        EXPECT_EQ(hit.text, "needle here 0123");
    }
    EXPECT_EQ(got, expected);
}

TEST_F(Tree, ManyHitsOfOneFileGoOutBeforeItEndsAndNoneIsRepeated)
{
    // Every tenth line matches; 17-byte lines put about 250,000 in a chunk. In "late.txt" the
    // first chunk is ASCII, UTF-8 letters follow, and a lone Windows-1252 byte near the end
    // makes the editor read the whole file as Windows-1252: what went out after the first
    // chunk stands, the rest is read again from the start and shown as Windows-1252.
    const int lines = 600'000;
    const int utf8From = 300'001;
    const int badLine = 550'001;
    struct Row {
        const char *name;
        bool late;
    };
    for (const Row row : {Row{"ascii.txt", false}, Row{"late.txt", true}}) {
        SCOPED_TRACE(row.name);
        std::string text;
        std::set<int> expected;
        for (int i = 1; i <= lines; ++i) {
            if (row.late && i == badLine) {
                text += "bad \xE9 byte here\n";
            } else if (i % 10 == 1) {
                text += row.late && i >= utf8From ? "needle caf\xC3\xA9 012\n" : "needle here 0123\n";
                expected.insert(i);
            } else {
                text += "filler text 0123\n";
            }
        }
        fs::create_directories(root / "many");
        write(std::string("many/") + row.name, text);
        Collector collector;
        FindQuery q = query("needle");
        q.folder = (root / "many").string();
        q.fileTypes = row.name;
        run(q, collector);
        std::multiset<int> got;
        for (const Hit &hit : collector.hits) {
            got.insert(hit.line);
            if (row.late && hit.line == utf8From) {
                EXPECT_EQ(hit.text, "needle caf\xC3\x83\xC2\xA9 012");
            }
        }
        EXPECT_EQ(got, std::multiset<int>(expected.begin(), expected.end()));
        EXPECT_EQ(collector.summary.matches, qint64(expected.size()));
        EXPECT_EQ(collector.summary.filesWithMatches, 1);
        EXPECT_GT(collector.batches, 1) << "the file's hits were held until it ended";
    }
}
