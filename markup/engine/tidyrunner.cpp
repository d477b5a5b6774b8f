// runTidy: libtidy's parse, clean, diagnose and save chain over a byte buffer.
#include "markup/engine/tidyrunner.h"

#include "resources/resources.h"
#include "resources/stringids.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>
#include <type_traits>

namespace pw {

namespace {

struct BufferGuard
{
    TidyBuffer buffer{};
    BufferGuard() { tidyBufInit(&buffer); }
    ~BufferGuard() { tidyBufFree(&buffer); }
    QByteArray bytes() const
    {
        return buffer.bp
                   ? QByteArray(reinterpret_cast<const char *>(buffer.bp), qsizetype(buffer.size))
                   : QByteArray();
    }
};

struct DocDeleter
{
    void operator()(TidyDoc doc) const { tidyRelease(doc); }
};
using DocPtr = std::unique_ptr<std::remove_pointer_t<TidyDoc>, DocDeleter>;

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned c = *p;
        int follow;
        unsigned min;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            min = 0x10000;
        } else {
            return false;
        }
        if (end - p <= follow)
            return false;
        unsigned cp = c & (0x3F >> follow);
        for (int i = 1; i <= follow; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += follow + 1;
    }
    return true;
}

} // namespace

QByteArray TidyRun::message() const
{
    if (ok())
        return diagnostics;
    return QString::asprintf(res::string(Str::TidySevereError), rc).toUtf8();
}

TidyRun runTidy(const QByteArray &text, const QString &profilePath, TidyTextEncoding encoding)
{
    TidyRun run;
    // Before the document, which writes into it until it is released.
    BufferGuard errors;
    DocPtr doc(tidyCreate());
    // The report starts with whatever Tidy had to say about the profile.
    int rc = tidySetErrorBuffer(doc.get(), &errors.buffer);
    // An unreadable profile leaves Tidy's defaults in force; the run goes on regardless.
    if (QFileInfo(profilePath).isReadable())
        tidyLoadConfig(doc.get(), QFile::encodeName(profilePath).constData());
    // The document's encoding is the program's business, whatever the profile says: "raw" hands
    // every byte above 127 through untouched, where a decoder would put U+FFFD in for bad bytes.
    const bool utf8 = encoding == TidyTextEncoding::Utf8 && isValidUtf8(text);
    tidySetCharEncoding(doc.get(), utf8 ? "utf8" : "raw");
    // A byte-order mark is the document's, written when it is saved, never part of its text.
    tidyOptSetInt(doc.get(), TidyOutputBOM, TidyNoState);
    // Writing files behind the editor's back is not Tidy's to do here.
    tidyOptSetBool(doc.get(), TidyWriteBack, no);
    tidyOptSetValue(doc.get(), TidyOutFile, "");
    tidyOptSetValue(doc.get(), TidyErrFile, "");

    BufferGuard output;
    BufferGuard input;
    // Zero bytes in the text go to Tidy too: a zero-terminated hand-over would cut them off.
    tidyBufAppend(&input.buffer, const_cast<char *>(text.constData()), uint(text.size()));

    if (rc >= 0)
        rc = tidyParseBuffer(doc.get(), &input.buffer);
    if (rc >= 0)
        rc = tidyCleanAndRepair(doc.get());
    if (rc >= 0)
        rc = tidyRunDiagnostics(doc.get());
    if (rc > 1 && !tidyOptSetBool(doc.get(), TidyForceOutput, yes))
        rc = -1;
    if (rc >= 0)
        rc = tidySaveBuffer(doc.get(), &output.buffer);
    run.rc = rc;
    run.diagnostics = errors.bytes();
    if (rc >= 0)
        run.output = output.bytes();
    return run;
}

} // namespace pw
