// libFuzzer target for the settings file: any bytes on disk read as defaults or values, never a
// crash, and a write to a file that was readable reads back.
#include "settings/xmlsettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {
const QString S = QStringLiteral("Fuzz");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("AppSettings.xml"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    pw::XmlSettingsStore store(path);
    QStringList keys;
    store.enumerateKeys(QStringLiteral("Settings"), keys);
    (void)store.getInt(QStringLiteral("ViewSettings"), QStringLiteral("TabWidth"), 4);
    (void)store.getString(QStringLiteral("Settings"), QStringLiteral("DefExt"), QString());
    (void)store.loadHistory(QStringLiteral("SearchHistory"));
    (void)store.buildFilterString();
    QList<pw::ExternalToolRecord> tools;
    const int toolsFound = store.readTools(QStringLiteral("ExternalTools"), QStringLiteral("Tool"),
                                           tools);
    if (toolsFound >= 0 && store.writeInt(S, QStringLiteral("k"), 42)) {
        // A write the store accepted is what the file says from then on.
        if (pw::XmlSettingsStore(path).getInt(S, QStringLiteral("k"), -1) != 42)
            std::abort();
    }
    return 0;
}
