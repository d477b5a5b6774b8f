// Fuzzes the markup engine with the bytes of a document: the XML check and a Tidy run with each
// shipped profile (chosen by the first byte), which must keep the bytes it is given.
#include "markup/engine/tidyprofiles.h"
#include "markup/engine/tidyrunner.h"
#include "markup/engine/xmlcheck.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString profileFile(int which)
{
    static const char *const names[] = {pw::TidyProfiles::HtmlClean, pw::TidyProfiles::XhtmlClean,
                                        pw::TidyProfiles::XmlPrettyPrint};
    const char *name = names[which % 3];
    const QString path =
        QDir::tempPath() + QStringLiteral("/pw_markup_fuzz_") + QLatin1String(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(pw::TidyProfiles::builtIn(name));
    }
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const pw::XmlCheck xml = pw::checkXml(text);
    const QString message = xml.message();
    check(xml.wellFormed ? message.startsWith(u'*') : xml.line >= 1 && xml.column >= 1);

    const bool ansi = data[0] & 0x80;
    const pw::TidyRun run =
        pw::runTidy(text, profileFile(data[0] & 0x7F),
                    ansi ? pw::TidyTextEncoding::Ansi : pw::TidyTextEncoding::Utf8);
    check(run.ok() || run.output.isEmpty());
    check(!run.message().isEmpty() || run.rc == 0);
    return 0;
}
