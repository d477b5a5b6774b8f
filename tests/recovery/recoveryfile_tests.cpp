// Recovery files: what is written comes back whole, anything damaged is refused, and the locks
// tell a living instance from one that is gone.
#include "recovery/engine/instancelock.h"
#include "recovery/engine/recoveryfile.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pw::recovery;

namespace {

Snapshot sample(const QString &path, const QString &title, int encoding, QByteArray text)
{
    Snapshot s;
    s.header.path = path;
    s.header.title = title;
    s.header.encoding = encoding;
    s.header.markLength = encoding == 0 ? 3 : encoding <= 2 ? 2 : 0;
    s.header.lineEnding = 2 - encoding % 3;
    s.header.caret = text.size() / 2;
    s.header.diskSize = path.isEmpty() ? -1 : 4096;
    s.header.diskModifiedNs = path.isEmpty() ? 0 : 1733480000123456789LL;
    s.header.snapshotMs = 1733480001000LL;
    s.text = std::move(text);
    return s;
}

void expectSame(const Snapshot &a, const Snapshot &b)
{
    EXPECT_EQ(a.header.path, b.header.path);
    EXPECT_EQ(a.header.title, b.header.title);
    EXPECT_EQ(a.header.encoding, b.header.encoding);
    EXPECT_EQ(a.header.markLength, b.header.markLength);
    EXPECT_EQ(a.header.lineEnding, b.header.lineEnding);
    EXPECT_EQ(a.header.caret, b.header.caret);
    EXPECT_EQ(a.header.diskSize, b.header.diskSize);
    EXPECT_EQ(a.header.diskModifiedNs, b.header.diskModifiedNs);
    EXPECT_EQ(a.header.snapshotMs, b.header.snapshotMs);
    EXPECT_EQ(a.text, b.text);
}

constexpr char AnsiWithNul[] = "ansi \xe9\xe8 and a NUL \0 inside";

const QList<Snapshot> &samples()
{
    static const QList<Snapshot> list = {
        sample(QStringLiteral("/home/u/notes.txt"), QStringLiteral("notes.txt"), 0,
               "line one\nline two\n"),
        sample({}, QStringLiteral("Untitled3"), 3, QByteArray(AnsiWithNul, sizeof AnsiWithNul - 1)),
        sample(QStringLiteral("/tmp/\u00e9t\u00e9/\u65e5\u672c.txt"), QStringLiteral("\u65e5\u672c.txt"), 1,
               "\xe6\x97\xa5\xe6\x9c\xac\r\n"),
        sample(QStringLiteral("/empty"), QStringLiteral("empty"), 2, QByteArray()),
        sample({}, QStringLiteral("big"), 0, QByteArray(3 << 20, 'x')),
    };
    return list;
}

TEST(RecoveryFile, RoundTripsThroughBytesAndThroughTheFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int n = 0;
    for (const Snapshot &s : samples()) {
        SCOPED_TRACE(s.header.title.toStdString());
        const QByteArray bytes = encodeSnapshot(s);
        ParseError error = ParseError::Foreign;
        std::optional<Snapshot> back =
            decodeSnapshot(bytes.constData(), std::size_t(bytes.size()), &error);
        ASSERT_TRUE(back);
        EXPECT_EQ(error, ParseError::None);
        expectSame(s, *back);

        const QString file = dir.filePath(QStringLiteral("a-%1.pwrec").arg(++n));
        QString why;
        ASSERT_TRUE(writeSnapshotFile(file, s, &why)) << why.toStdString();
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), bytes);
        back = readSnapshot(file);
        ASSERT_TRUE(back);
        expectSame(s, *back);
    }
    // The list reads only headers, yet knows each text's size; no temporary file is left behind.
    const QList<Entry> entries = listEntries(dir.path());
    ASSERT_EQ(entries.size(), samples().size());
    for (int i = 0; i < entries.size(); ++i) {
        EXPECT_FALSE(entries[i].damaged);
        EXPECT_EQ(entries[i].header.title, samples()[i].header.title);
        EXPECT_EQ(entries[i].textSize, samples()[i].text.size());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), samples().size());
    // Files of a running instance are left out of the list.
    EXPECT_EQ(listEntries(dir.path(), {QStringLiteral("a-")}).size(), 0);
}

TEST(RecoveryFile, LayoutIsTheDocumentedOne)
{
    // Made by an independent writer of the layout (tests/fuzz/corpus/recovery/saved), whose
    // checksum is zlib's CRC-32.
    Snapshot s;
    s.header = {QStringLiteral("/home/u/a.txt"), QStringLiteral("a.txt"), 0, 3, 2, 5, 12,
                1700000000000000000LL, 1700000000000LL};
    s.text = "hello\nworld\n";
    const QByteArray bytes = encodeSnapshot(s);
    EXPECT_EQ(bytes.size(), 122);
    EXPECT_EQ(bytes.right(4).toHex(), "73ae4fd0");
}

TEST(RecoveryFile, RefusesDamagedTruncatedAndForeignFiles)
{
    const QByteArray good = encodeSnapshot(samples()[1]);
    // Where the fields sit: magic 8, path length 4 (empty path), title length 4 + 9 bytes.
    const int fields = 8 + 4 + 4 + 9;
    struct Case
    {
        const char *name;
        QByteArray bytes;
        ParseError expected;
    };
    const auto changed = [&good](int at, char value) {
        QByteArray b = good;
        b[at] = value;
        return b;
    };
    const QList<Case> cases = {
        {"empty", QByteArray(), ParseError::Foreign},
        {"text file", "just some text someone left here\n", ParseError::Foreign},
        {"cut in the magic", good.left(5), ParseError::Foreign},
        {"cut in the title", good.left(fields - 3), ParseError::Truncated},
        {"cut in the fields", good.left(fields + 20), ParseError::Truncated},
        {"cut in the text", good.left(good.size() - 10), ParseError::Truncated},
        {"no checksum", good.left(good.size() - 4), ParseError::Truncated},
        {"byte added", good + 'x', ParseError::Damaged},
        {"text changed", changed(good.size() - 8, 'Q'), ParseError::Damaged},
        {"checksum changed", changed(good.size() - 1, char(good.back() ^ 1)), ParseError::Damaged},
        {"huge title length", changed(8 + 4 + 3, char(0x7f)), ParseError::Damaged},
        {"unknown encoding", changed(fields, char(77)), ParseError::Damaged},
        {"negative caret", changed(fields + 3 * 8 + 7, char(0x80)), ParseError::Damaged},
        {"huge text length", changed(fields + 7 * 8 + 6, char(0x40)), ParseError::Damaged},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParseError error = ParseError::None;
        EXPECT_FALSE(decodeSnapshot(c.bytes.constData(), std::size_t(c.bytes.size()), &error));
        EXPECT_EQ(error, c.expected);
        QFile file(dir.filePath(QStringLiteral("x-1.pwrec")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const QList<Entry> entries = listEntries(dir.path());
        ASSERT_EQ(entries.size(), 1);
        // The list cannot see a changed text or checksum without reading it all; recovery does.
        if (c.bytes.size() == good.size() && c.expected == ParseError::Damaged &&
            (QByteArray(c.name).contains("changed")))
            EXPECT_FALSE(entries[0].damaged);
        else
            EXPECT_TRUE(entries[0].damaged);
        EXPECT_FALSE(readSnapshot(entries[0].file));
    }
    // Every prefix of a good file is refused.
    for (int cut = 0; cut < good.size(); ++cut)
        ASSERT_FALSE(decodeSnapshot(good.constData(), std::size_t(cut))) << cut;
}

TEST(RecoveryFile, AtomicWriteFailsCleanlyAndReplacesWhole)
{
    QTemporaryDir dir;
    QString why;
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("missing/a.pwrec")), "x", &why));
    EXPECT_FALSE(why.isEmpty());
    const QString file = dir.filePath(QStringLiteral("a.pwrec"));
    ASSERT_TRUE(writeFileAtomically(file, QByteArray(100000, 'a')));
    ASSERT_TRUE(writeFileAtomically(file, "short"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "short");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(InstanceLock, LivingInstancesAreKnownAndDeadOnesAreNot)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Recovery"));
    auto first = std::make_unique<InstanceLock>(folder);
    InstanceLock second(folder);
    ASSERT_TRUE(first->isLocked());
    ASSERT_TRUE(second.isLocked());
    EXPECT_NE(first->id(), second.id());
    EXPECT_TRUE(first->fileFor(2).startsWith(folder + QLatin1Char('/') + filePrefix(first->id())));
    QStringList live = InstanceLock::liveInstances(folder);
    live.sort();
    QStringList both{first->id(), second.id()};
    both.sort();
    EXPECT_EQ(live, both);

    const QString firstId = first->id();
    first.reset();
    EXPECT_EQ(InstanceLock::liveInstances(folder), QStringList{second.id()});

    // A crashed instance's lock names a process that no longer runs.
    QFile stale(QDir(folder).filePath(QStringLiteral("0123456789ab.lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("2147483600\npenwright\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    EXPECT_EQ(InstanceLock::liveInstances(folder), QStringList{second.id()});
    EXPECT_FALSE(QFile::exists(stale.fileName()));
}

} // namespace
