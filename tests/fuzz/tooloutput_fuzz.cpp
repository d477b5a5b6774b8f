// Fuzzes what the external-tools engine reads from outside: program output (zero-byte rule,
// decoding in pieces) and argument text (splitting and variables), plus the pane's bounded text.
#include "tools/engine/boundedtextbuffer.h"
#include "tools/engine/outputdecoder.h"
#include "tools/engine/toolcommand.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Decoding the stream whole and in the pieces the first bytes choose must give the same text,
// and valid text must come out as Qt decodes it.
void decodeBothWays(const QByteArray &charset, const QByteArray &stream, const uint8_t *cuts,
                    size_t cutCount)
{
    pw::OutputDecoder whole(charset);
    QString expected = whole.decode(stream);
    expected += whole.finish();
    pw::OutputDecoder split(charset);
    QString got;
    qsizetype at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const qsizetype n = cutCount ? 1 + cuts[i % cutCount] % 16 : stream.size();
        got += split.decode(stream.mid(at, n));
        at += n;
    }
    got += split.finish();
    check(got == expected);
    if (whole.charset() == "UTF-8" && QString::fromUtf8(stream).toUtf8() == stream)
        check(expected == QString::fromUtf8(stream));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const size_t cutCount = data[1] % 8;
    if (size < 2 + cutCount)
        return 0;
    const uint8_t *cuts = data + 2;
    const QByteArray body(reinterpret_cast<const char *>(data + 2 + cutCount),
                          qsizetype(size - 2 - cutCount));

    switch (mode % 4) {
    case 0: {
        const QByteArray kept = pw::OutputDecoder::cutText(body);
        check(kept.size() <= body.size() && !kept.contains('\0'));
        decodeBothWays("UTF-8", kept, cuts, cutCount);
        break;
    }
    case 1:
        decodeBothWays("EUC-JP", body, cuts, cutCount);
        decodeBothWays("SHIFT_JIS", body, cuts, cutCount);
        break;
    case 2: {
        const QString text = QString::fromUtf8(body);
        const pw::ToolVariables vars{QStringLiteral("/d i r/$FileName;$(x).t\"x't"),
                                     QStringLiteral("/app")};
        const QStringList words = pw::splitArguments(text);
        const QStringList expanded = pw::expandArguments(text, vars);
        // Replacing variables never adds or splits words; it can only drop ones left empty.
        check(expanded.size() <= words.size());
        break;
    }
    default: {
        pw::BoundedTextBuffer buffer(1 + (cutCount ? cuts[0] : 0) % 64);
        QString mirror;
        const QString text = QString::fromUtf8(body);
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype n = qMin<qsizetype>(text.size() - at, 1 + (at * 7 + mode) % 37);
            const QStringView piece = QStringView(text).sliced(at, n);
            const pw::BoundedTextBuffer::Change change = buffer.append(piece);
            mirror.remove(0, change.removedFromFront);
            mirror += piece.last(change.appended);
            check(mirror == buffer.text() && buffer.size() <= buffer.capacity());
            at += n;
        }
        break;
    }
    }
    return 0;
}
