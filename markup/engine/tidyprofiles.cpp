// TidyProfiles: the profile folder and the first-use copy of the shipped profiles.
#include "markup/engine/tidyprofiles.h"

#include "settings/appfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace pw {

// Generated from markup/profiles at configure time.
extern const char *const kTidyHtmlClean;
extern const char *const kTidyXhtmlClean;
extern const char *const kTidyXmlPrettyPrint;

namespace TidyProfiles {

QString folder()
{
    QString base = AppFolders::settingsFolder();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + QStringLiteral("Tidy/");
}

QByteArray builtIn(const char *name)
{
    if (std::strcmp(name, HtmlClean) == 0)
        return kTidyHtmlClean;
    if (std::strcmp(name, XhtmlClean) == 0)
        return kTidyXhtmlClean;
    if (std::strcmp(name, XmlPrettyPrint) == 0)
        return kTidyXmlPrettyPrint;
    return {};
}

QString ensure(const char *name)
{
    const QString dir = folder();
    const QString path = dir + QLatin1String(name);
    if (QFileInfo::exists(path))
        return path;
    QDir().mkpath(dir);
    // A per-user folder starts with copies of the profiles shipped with the program.
    const QString shipped = AppFolders::shippedFile(QStringLiteral("Tidy/") + QLatin1String(name));
    if (shipped != path && QFile::copy(shipped, path)) {
        QFile::setPermissions(path,
                              QFile::permissions(path) | QFile::WriteOwner | QFile::ReadOwner);
        return path;
    }
    const QByteArray text = builtIn(name);
    if (!text.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    return path;
}

} // namespace TidyProfiles

} // namespace pw
