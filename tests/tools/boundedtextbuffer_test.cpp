// The Tool Window's bounded text: newest output kept, whole lines dropped from the front.
#include "tools/engine/boundedtextbuffer.h"

#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

namespace pw {
namespace {

using Change = BoundedTextBuffer::Change;

TEST(BoundedTextBuffer, DropsWholeLinesFromTheFront)
{
    const struct
    {
        const char *name;
        qsizetype capacity;
        QStringList appends;
        const char16_t *expected;
        Change lastChange;
    } rows[] = {
        {"fits", 10, {"ab\n", "cd"}, u"ab\ncd", {0, 2}},
        {"exactly full", 6, {"ab\n", "cd\n"}, u"ab\ncd\n", {0, 3}},
        {"first line goes", 10, {"aaa\nbbb\n", "ccc\n"}, u"bbb\nccc\n", {4, 4}},
        {"several lines go", 8, {"a\nb\nc\nd\n", "eeee\n"}, u"d\neeee\n", {6, 5}},
        {"new text alone too long", 10, {"x\n", "1234\n5678\n90\n"}, u"5678\n90\n", {2, 8}},
        {"last line longer than everything", 5, {"ab\n", "cdefgh"}, u"defgh", {3, 5}},
        {"a long line ending the text", 5, {"abcdefgh\n"}, u"efgh\n", {0, 5}},
        {"partial line stays whole when it fits", 7, {"aa\nbb", "b\ncc"}, u"bbb\ncc", {3, 4}},
        {"surrogate pair never split", 3, {QString::fromUtf16(u"a😀bc")}, u"bc", {0, 2}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        BoundedTextBuffer buffer(row.capacity);
        Change change;
        for (const QString &text : row.appends)
            change = buffer.append(text);
        EXPECT_EQ(buffer.text(), QString::fromUtf16(row.expected));
        EXPECT_EQ(change, row.lastChange);
    }
}

// A view that applies each Change to its own copy always shows what the buffer holds, the
// buffer never goes over its capacity, and it holds the newest text starting at a line start.
TEST(BoundedTextBuffer, ChangesLetAViewMirrorItAndTheNewestTextIsKept)
{
    QRandomGenerator random(77);
    for (const qsizetype capacity : {1, 7, 64, 1000}) {
        SCOPED_TRACE(capacity);
        BoundedTextBuffer buffer(capacity);
        QString mirror;
        QString everything;
        for (int i = 0; i < 2000; ++i) {
            QString text;
            const int length = random.bounded(0, 3 * int(capacity) / 2 + 2);
            for (int k = 0; k < length; ++k)
                text += random.bounded(8) == 0 ? QChar(u'\n') : QChar(u'a' + random.bounded(26));
            everything += text;
            const Change change = buffer.append(text);
            mirror.remove(0, change.removedFromFront);
            mirror += QStringView(text).last(change.appended);
            ASSERT_EQ(mirror, buffer.text());
            ASSERT_LE(buffer.size(), capacity);
            ASSERT_TRUE(everything.endsWith(buffer.text()));
            const qsizetype start = everything.size() - buffer.size();
            const bool atLineStart = start == 0 || everything[start - 1] == u'\n';
            // A longer tail starting a line would also have fitted only if it is not there.
            const qsizetype previousNewline =
                start >= 2 ? everything.lastIndexOf(u'\n', start - 2) : -1;
            if (atLineStart && start > 0) {
                const qsizetype longer = everything.size() - (previousNewline + 1);
                ASSERT_GT(longer, capacity);
            }
            if (!atLineStart) { // cut inside: only when the last line alone is too long
                ASSERT_EQ(buffer.size(), capacity);
            }
        }
        buffer.clear();
        EXPECT_TRUE(buffer.isEmpty());
    }
}

} // namespace
} // namespace pw
