// Shared helpers of the settings tests: a private temporary folder and raw file access.
#pragma once

#include "settings/xmlsettingsstore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

// Lets GoogleTest show QStrings as text, as compared values and in failure messages.
inline std::ostream &operator<<(std::ostream &out, const QString &text)
{
    return out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << text;
}

namespace pw::test {

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A new copy of the file under a name no store has seen: a store opened on it has to parse what
// is on disk, because nothing about that name can be cached yet.
inline QString freshCopy(const QString &path)
{
    static int serial = 0;
    const QString copy = path + QStringLiteral(".copy%1").arg(++serial);
    QFile::remove(copy);
    return QFile::copy(path, copy) ? copy : QString();
}

// A settings document with the given body inside appSettings.
inline QByteArray settingsXml(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<appSettings>\n" + body +
           "</appSettings>\n";
}

// Each test gets its own folder, and in it the path of a settings file that does not exist yet.
class SettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("AppSettings.xml"));
    }

    QString folder() const { return m_dir.path(); }
    const QString &settingsPath() const { return m_path; }

    // A store on a fresh copy of a settings file holding the given body inside appSettings; it
    // lives until the next call.
    XmlSettingsStore &storeWith(const QByteArray &body)
    {
        writeAll(m_path, settingsXml(body));
        m_store.emplace(freshCopy(m_path));
        return *m_store;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::optional<XmlSettingsStore> m_store;
};

} // namespace pw::test
