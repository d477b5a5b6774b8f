// Shared pieces of the backup tests: a private folder, a private registry file and a document.
#pragma once

#include "settings/registrysettings.h"
#include "backup/engine/backupstore.h"
#include "backup/engine/removalqueue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pw::backup::test {

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// File names in a folder, sorted by number, once superseded copies are gone.
inline QStringList numberedFiles(const QString &folder)
{
    waitForPendingRemovals();
    QStringList names = QDir(folder).entryList(QDir::Files);
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    return names;
}

class BackupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("docs")));
        // The root exists, as the properties page's Apply leaves it.
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("Backup")));
        restart();
    }

    // A new registry object on the same file, as a new run of the program has.
    void restart() { m_registry = std::make_unique<RegistrySettings>(iniPath()); }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    QString iniPath() const { return path(QStringLiteral("Penwright.conf")); }
    QString root() const { return path(QStringLiteral("Backup")); }
    QString doc(const QString &name = QStringLiteral("notes.txt")) const
    {
        return path(QStringLiteral("docs/") + name);
    }
    RegistrySettings &registry() { return *m_registry; }

    BackupSettings settings(int mode, int versions = 3, bool deleteOnExit = false) const
    {
        BackupSettings s;
        s.setting = mode;
        s.versions = versions;
        s.deleteOnExit = deleteOnExit;
        s.rootFolder = root();
        return s;
    }

    // A store for a document that exists with `content`, opened as a load opens it.
    std::unique_ptr<BackupStore> open(const BackupSettings &s, const QString &document,
                                      const QByteArray &content = "v0")
    {
        if (!QFile::exists(document)) {
            EXPECT_TRUE(writeAll(document, content));
        }
        auto store = std::make_unique<BackupStore>(registry(), s);
        store->init(document);
        return store;
    }

    // A plain save, in the order the document uses: the backup, then the write.
    static BackupResult save(BackupStore &store, const QString &document, const QByteArray &text)
    {
        const BackupResult result = store.backupBeforeSave(document, true);
        EXPECT_TRUE(writeAll(document, text));
        return result;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RegistrySettings> m_registry;
};

} // namespace pw::backup::test
