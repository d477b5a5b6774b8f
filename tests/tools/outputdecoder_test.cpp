// Console output bytes to text: the zero-byte rule, UTF-8 with visible bad bytes, other charsets.
#include "tools/engine/outputdecoder.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace pw {
namespace {

QByteArray bytes(const char *text, qsizetype size = -1)
{
    return QByteArray(text, size < 0 ? qsizetype(strlen(text)) : size);
}

// The whole text of a stream given in one read (in two statements: the order matters).
QString decodeAll(OutputDecoder &decoder, const QByteArray &in)
{
    QString text = decoder.decode(in);
    text += decoder.finish();
    return text;
}

TEST(CutText, AZeroByteEndsTheTextOfItsPiece)
{
    QByteArray long300(300, 'a');
    QByteArray zeroAt10 = long300;
    zeroAt10[10] = '\0';
    QByteArray zeroAt260 = long300;
    zeroAt260[260] = '\0';
    const struct
    {
        const char *name;
        QByteArray run;
        QByteArray expected;
    } rows[] = {
        {"no zero", bytes("abc\n"), bytes("abc\n")},
        {"zero inside", bytes("abc\0def\n", 8), bytes("abc")},
        {"zero first", bytes("\0abc", 4), QByteArray()},
        {"two zeros", bytes("a\0b\0c", 5), bytes("a")},
        {"zero in the first piece only", zeroAt10, long300.left(10) + long300.mid(255)},
        {"zero in the second piece", zeroAt260, long300.left(260)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OutputDecoder::cutText(row.run), row.expected);
    }
}

TEST(OutputDecoder, ShowsInvalidUtf8BytesAsHexEscapes)
{
    const struct
    {
        const char *name;
        QByteArray in;
        const char16_t *expected;
    } rows[] = {
        {"ASCII", bytes("plain text\r\n"), u"plain text\r\n"},
        {"valid multi-byte", bytes("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"), u"café € 😀"},
        {"Latin-1 byte", bytes("caf\xe9!"), u"caf\\xE9!"},
        {"overlong form", bytes("\xc0\xaf"), u"\\xC0\\xAF"},
        {"surrogate", bytes("\xed\xa0\x80"), u"\\xED\\xA0\\x80"},
        {"above U+10FFFF", bytes("\xf4\x90\x80\x80"), u"\\xF4\\x90\\x80\\x80"},
        {"broken sequence resumes at the next byte", bytes("\xe2\x28\xa1"), u"\\xE2(\\xA1"},
        {"stray continuation bytes", bytes("a\x80\xbf" "b"), u"a\\x80\\xBFb"},
        {"unfinished at the end", bytes("ok\xe2\x82"), u"ok\\xE2\\x82"},
        {"long ASCII run then a bad byte", bytes("0123456789abcdef0123\xff"),
         u"0123456789abcdef0123\\xFF"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        OutputDecoder decoder("UTF-8");
        const QString text = decodeAll(decoder, row.in);
        EXPECT_EQ(text, QString::fromUtf16(row.expected));
    }
}

// Splitting a stream anywhere must not change its text: characters cut between two reads are
// decoded whole, and bad bytes are reported once.
TEST(OutputDecoder, TextDoesNotDependOnWhereReadsEnd)
{
    QRandomGenerator random(1234);
    const QByteArray pieces[] = {bytes("a"),         bytes("\xc3\xa9"), bytes("\xe2\x82\xac"),
                                 bytes("\xf0\x9f\x98\x80"), bytes("\xff"), bytes("\xe2\x82"),
                                 bytes("\x80"),      bytes("\n"),       bytes("\xed\xa0\x80")};
    for (int round = 0; round < 300; ++round) {
        QByteArray stream;
        const int count = random.bounded(1, 40);
        for (int i = 0; i < count; ++i)
            stream += pieces[random.bounded(int(std::size(pieces)))];
        OutputDecoder whole("UTF-8");
        const QString expected = decodeAll(whole, stream);
        OutputDecoder split("UTF-8");
        QString got;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype n = random.bounded(1, 5);
            got += split.decode(stream.mid(at, n));
            at += n;
        }
        got += split.finish();
        ASSERT_EQ(got, expected) << stream.toHex().constData();
        // Valid text decodes exactly as Qt decodes it.
        if (!stream.contains('\xff') && QString::fromUtf8(stream).toUtf8() == stream) {
            ASSERT_EQ(expected, QString::fromUtf8(stream));
        }
    }
}

TEST(OutputDecoder, DecodesTheLocalesOtherCharacterSets)
{
    const struct
    {
        const char *charset;
        QByteArray in;
        const char16_t *expected;
    } rows[] = {
        {"ISO-8859-1", bytes("caf\xe9 \xff"), u"café ÿ"},
        {"KOI8-R", bytes("\xf0\xd2\xc9\xd7\xc5\xd4"), u"Привет"},
        {"EUC-JP", bytes("\xc6\xfc\xcb\xdc"), u"日本"},
        {"EUC-JP", bytes("a\xc6\x20" "b"), u"a\\xC6 b"},
        {"SHIFT_JIS", bytes("\x93\xfa\x96\x7b"), u"日本"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.charset);
        OutputDecoder decoder(row.charset);
        ASSERT_EQ(decoder.charset(), QByteArray(row.charset));
        EXPECT_EQ(decodeAll(decoder, row.in), QString::fromUtf16(row.expected));
        // The same bytes one at a time: a character cut between reads waits for its end.
        OutputDecoder bytewise(row.charset);
        QString text;
        for (char c : row.in)
            text += bytewise.decode(QByteArray(1, c));
        text += bytewise.finish();
        EXPECT_EQ(text, QString::fromUtf16(row.expected));
    }
    OutputDecoder unfinished("EUC-JP");
    EXPECT_EQ(decodeAll(unfinished, bytes("x\xc6")), QStringLiteral("x\\xC6"));
}

TEST(OutputDecoder, AsciiAndUnknownCharsetsReadAsUtf8)
{
    for (const char *name : {"ANSI_X3.4-1968", "ascii", "utf8", "UTF-8", "", "NO-SUCH-SET"}) {
        SCOPED_TRACE(name);
        OutputDecoder decoder{QByteArray(name)};
        EXPECT_EQ(decoder.charset(), QByteArray("UTF-8"));
        EXPECT_EQ(decodeAll(decoder, bytes("\xc3\xa9\xe9")), QStringLiteral("é\\xE9"));
    }
}

} // namespace
} // namespace pw
