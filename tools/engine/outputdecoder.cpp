// Turns a console program's output bytes into text: the zero-byte rule and the locale's encoding.
#include "tools/engine/outputdecoder.h"

#include <cstring>

#ifdef Q_OS_UNIX
#define PW_HAVE_ICONV 1
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#endif

namespace pw {

namespace {

// Length of the well-formed UTF-8 sequence at p (2 to 4), 0 when the first byte cannot start
// one or a later byte breaks it, -1 when the bytes so far are a valid but unfinished start.
int sequenceLength(const uchar *p, qsizetype available)
{
    const uchar b = p[0];
    int need = 0;
    uchar lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 2;
    } else if (b == 0xE0) {
        need = 3;
        lo = 0xA0;
    } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
        need = 3;
    } else if (b == 0xED) {
        need = 3;
        hi = 0x9F; // no surrogates
    } else if (b == 0xF0) {
        need = 4;
        lo = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
        need = 4;
    } else if (b == 0xF4) {
        need = 4;
        hi = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    for (int k = 1; k < need; ++k) {
        if (k >= available)
            return -1;
        const uchar c = p[k];
        if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF))
            return 0;
    }
    return need;
}

bool isUtf8Name(QByteArray name)
{
    name = name.toUpper();
    name.replace('-', "").replace('_', "");
    // ASCII locales (C, POSIX) are read as UTF-8: their characters mean the same there, and
    // programs run from them print UTF-8 far more often than anything else.
    return name.isEmpty() || name == "UTF8" || name == "ASCII" || name == "USASCII"
           || name == "ANSIX3.41968";
}

QByteArray localeCharset()
{
#ifdef PW_HAVE_ICONV
    const char *name = nl_langinfo(CODESET);
    return name ? QByteArray(name) : QByteArray();
#else
    return QByteArrayLiteral("UTF-8");
#endif
}

} // namespace

void appendEscapedBytes(QString &out, QByteArrayView bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : bytes) {
        const uchar b = uchar(ch);
        const QChar escaped[4] = {u'\\', u'x', QLatin1Char(hex[b >> 4]), QLatin1Char(hex[b & 15])};
        out.append(escaped, 4);
    }
}

#ifdef PW_HAVE_ICONV
struct OutputDecoder::Iconv
{
    iconv_t cd;
    QByteArray name;
    ~Iconv() { iconv_close(cd); }
};
#else
struct OutputDecoder::Iconv
{
    QByteArray name;
};
#endif

OutputDecoder::OutputDecoder() : OutputDecoder(localeCharset()) {}

OutputDecoder::OutputDecoder(const QByteArray &charset)
{
#ifdef PW_HAVE_ICONV
    if (!isUtf8Name(charset)) {
        const iconv_t cd = iconv_open("UTF-8", charset.constData());
        if (cd != iconv_t(-1))
            m_iconv.reset(new Iconv{cd, charset});
    }
#else
    Q_UNUSED(charset);
#endif
}

OutputDecoder::~OutputDecoder() = default;

QByteArray OutputDecoder::charset() const
{
    return m_iconv ? m_iconv->name : QByteArrayLiteral("UTF-8");
}

QByteArray OutputDecoder::cutText(const QByteArray &run)
{
    if (!std::memchr(run.constData(), 0, size_t(run.size())))
        return run;
    QByteArray kept;
    kept.reserve(run.size());
    for (qsizetype at = 0; at < run.size(); at += PieceBytes) {
        const QByteArrayView piece = QByteArrayView(run).sliced(at, std::min(PieceBytes, run.size() - at));
        const void *zero = std::memchr(piece.data(), 0, size_t(piece.size()));
        kept.append(zero ? piece.first(static_cast<const char *>(zero) - piece.data()) : piece);
    }
    return kept;
}

QString OutputDecoder::decode(QByteArrayView bytes)
{
    if (m_pending.isEmpty())
        return m_iconv ? decodeIconv(bytes, false) : decodeUtf8(bytes, false);
    QByteArray joined = std::exchange(m_pending, QByteArray());
    joined.append(bytes);
    return m_iconv ? decodeIconv(joined, false) : decodeUtf8(joined, false);
}

QString OutputDecoder::finish()
{
    const QByteArray rest = std::exchange(m_pending, QByteArray());
    QString text = m_iconv ? decodeIconv(rest, true) : decodeUtf8(rest, true);
#ifdef PW_HAVE_ICONV
    if (m_iconv)
        iconv(m_iconv->cd, nullptr, nullptr, nullptr, nullptr);
#endif
    return text;
}

QString OutputDecoder::decodeUtf8(QByteArrayView bytes, bool final)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        // ASCII a word at a time: most console output is nothing else.
        while (i + 8 <= n) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = sequenceLength(p + i, n - i);
        if (length > 0) {
            i += length;
            continue;
        }
        if (length < 0 && !final) {
            m_pending = bytes.sliced(i).toByteArray();
            break;
        }
        // Keep the valid text before the bad byte, show the byte, carry on after it.
        if (runStart == 0 && out.isEmpty())
            out.reserve(n + 8);
        out.append(QString::fromUtf8(bytes.sliced(runStart, i - runStart)));
        appendEscapedBytes(out, bytes.sliced(i, 1));
        runStart = ++i;
    }
    const qsizetype validEnd = m_pending.isEmpty() ? n : n - m_pending.size();
    if (runStart == 0)
        return QString::fromUtf8(bytes.first(validEnd));
    out.append(QString::fromUtf8(bytes.sliced(runStart, validEnd - runStart)));
    return out;
}

QString OutputDecoder::decodeIconv(QByteArrayView bytes, bool final)
{
#ifdef PW_HAVE_ICONV
    QString out;
    QByteArray utf8;
    auto flushUtf8 = [&] {
        out.append(QString::fromUtf8(utf8));
        utf8.clear();
    };
    char *in = const_cast<char *>(bytes.data()); // iconv's signature; the input is not changed
    size_t inLeft = size_t(bytes.size());
    QByteArray buffer(qsizetype(inLeft) * 4 + 64, Qt::Uninitialized);
    while (inLeft > 0) {
        char *outPtr = buffer.data();
        size_t outLeft = size_t(buffer.size());
        const size_t result = iconv(m_iconv->cd, &in, &inLeft, &outPtr, &outLeft);
        utf8.append(buffer.constData(), outPtr - buffer.constData());
        if (result != size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL && !final) {
            m_pending = QByteArray(in, qsizetype(inLeft));
            break;
        }
        // An invalid (or, at the end, unfinished) sequence: show its first byte, go on after it.
        flushUtf8();
        appendEscapedBytes(out, QByteArrayView(in, 1));
        ++in;
        --inLeft;
        iconv(m_iconv->cd, nullptr, nullptr, nullptr, nullptr);
    }
    flushUtf8();
    return out;
#else
    Q_UNUSED(final);
    return QString::fromUtf8(bytes);
#endif
}

} // namespace pw
