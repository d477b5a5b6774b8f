// Turns a console program's output bytes into text: the zero-byte rule and the locale's encoding.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

namespace pw {

// Console output comes as runs of bytes, each run what one read of the pipe returned.
//
// A zero byte ends the text of its piece: every run is taken in pieces of at most PieceBytes
// bytes, and from a zero byte to the end of its piece nothing is kept (cutText). Console output
// is text; this is how output holding binary data has always been shown.
//
// The kept bytes are decoded as the locale's character set says (UTF-8, also for the C and POSIX
// locales, whose ASCII is a subset of it; any other set through iconv). A byte that is not valid
// in that set is shown as the four characters \xNN (upper-case hexadecimal), so nothing is lost
// and nothing invalid reaches the editor. A character split between two runs is decoded whole.
//
// One decoder per capture; not thread-safe.
class OutputDecoder
{
public:
    static constexpr qsizetype PieceBytes = 255;

    // A decoder for the character set the locale names (nl_langinfo(CODESET)).
    OutputDecoder();
    // A decoder for a named character set, e.g. "UTF-8" or "ISO-8859-1"; an unknown name, or one
    // iconv cannot convert from, decodes as UTF-8.
    explicit OutputDecoder(const QByteArray &charset);
    ~OutputDecoder();
    OutputDecoder(const OutputDecoder &) = delete;
    OutputDecoder &operator=(const OutputDecoder &) = delete;

    // The bytes of one read that the zero-byte rule keeps (the run itself, shared, when it holds
    // no zero byte).
    static QByteArray cutText(const QByteArray &run);

    // Text of the bytes (already cut); an incomplete character at the end waits for more.
    QString decode(QByteArrayView bytes);
    // Text of what is still waiting (an incomplete character becomes \xNN per byte); the decoder
    // is then ready for a new stream.
    QString finish();

    // The character set used (normalised name, "UTF-8" for the built-in decoder).
    QByteArray charset() const;

private:
    QString decodeUtf8(QByteArrayView bytes, bool final);
    QString decodeIconv(QByteArrayView bytes, bool final);

    struct Iconv;
    std::unique_ptr<Iconv> m_iconv; // null: the built-in UTF-8 decoder
    QByteArray m_pending;           // bytes of an incomplete character
};

// Appends \xNN for each byte.
void appendEscapedBytes(QString &out, QByteArrayView bytes);

} // namespace pw
