// libFuzzer target for language files: any bytes parse to a usable record or to nothing, and a
// record's colours written back into the same bytes parse again; the same bytes as a file's
// head give one line and a lower-case language word.
#include "languages/engine/languagechoice.h"
#include "languages/engine/languagefile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = QStringLiteral("/fuzz/input.config");
    const QString line = pw::firstLineOf(bytes);
    if (line.contains(u'\n') || line.contains(u'\r'))
        std::abort();
    const QString hint = pw::languageHintOf(line);
    if (hint != hint.toLower())
        std::abort();
    QString error;
    const std::optional<pw::LanguageRecord> record = pw::parseLanguageFile(bytes, path, &error);
    if (!record)
        return 0;
    if (record->styleCount < 0 || record->styleCount > pw::LanguageRecord::MaxStyles ||
        record->keywordSetCount < 0 || record->keywordSetCount > pw::LanguageRecord::MaxKeywordSets)
        std::abort();
    if (const std::optional<QByteArray> patched = pw::patchLanguageColours(bytes, *record)) {
        if (!pw::parseLanguageFile(*patched, path, &error))
            std::abort(); // writing the colours must never break a file that was readable
    }
    return 0;
}
