// Small helpers shared by the encoding tests: byte strings, files, whole-file load and save.
#pragma once

#include "editor/encoding/textfile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pw::enc::test {

inline std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    out.reserve(values.size());
    for (int v : values)
        out.push_back(char(v));
    return out;
}

inline std::string hex(const std::string &data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : data) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
        out.push_back(' ');
    }
    return out;
}

inline bool writeFile(const QString &path, const std::string &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data.data(), qint64(data.size())) == qint64(data.size());
}

inline std::string readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    const QByteArray all = file.readAll();
    return std::string(all.constData(), std::size_t(all.size()));
}

// Every entry of a folder, hidden ones included.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A fresh temporary folder for each test.
class TempFolder : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString tempFile(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString folder() const { return m_dir.path(); }

    QTemporaryDir m_dir;
};

struct Loaded
{
    bool ok = false;
    std::string text;
    std::vector<std::size_t> chunkSizes; // file bytes behind each chunk
    DocEncoding encoding = Auto;
    int markLength = -1;
    bool restarted = false;
    std::string trailing;
    QString error;
};

// Loads as a document does, restarting as Ansi when the whole-file check asks for it.
inline Loaded loadAll(const QString &path, DocEncoding encoding)
{
    Loaded result;
    TextFileReader reader;
    result.ok = reader.open(path, encoding, &result.error);
    if (!result.ok)
        return result;
    std::string chunk;
    for (;;) {
        while (reader.nextChunk(chunk)) {
            result.text += chunk;
            result.chunkSizes.push_back(reader.lastChunkSize());
        }
        if (!reader.restartRequired())
            break;
        result.text.clear();
        result.chunkSizes.clear();
        if (!reader.restartAsAnsi(&result.error)) {
            result.ok = false;
            return result;
        }
    }
    if (reader.hasError()) {
        result.ok = false;
        result.error = reader.errorString();
    }
    result.encoding = reader.encoding();
    result.markLength = reader.markLength();
    result.restarted = reader.wasRestarted();
    result.trailing = reader.trailingBytes();
    return result;
}

// Saves text in pieces of at most pieceSize editor bytes.
inline bool saveAll(const QString &path, DocEncoding encoding, int markLength,
                    const std::string &text, QString *error = nullptr,
                    std::size_t pieceSize = 262144, const std::string &trailing = {})
{
    TextFileWriter writer;
    if (!writer.open(path, encoding, markLength, error))
        return false;
    writer.setTrailingBytes(trailing);
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
        if (!writer.write(std::string_view(text).substr(at, pieceSize), error))
            return false;
    }
    return writer.commit(error);
}

// Permission checks run in a child process that, when the tests run as root (which bypasses
// permissions), first becomes the user "nobody"; without that they would pass vacuously.
struct Unprivileged
{
    bool ran = false;
    QString skipReason;
    int exitCode = -1;
};

// Runs check in a child without privileges; its exit code is the result (0 for success).
inline Unprivileged runUnprivileged(const QString &folder, const std::function<int()> &check)
{
    Unprivileged result;
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    if (uid == 0) {
        const struct passwd *nobody = ::getpwnam("nobody");
        if (!nobody) {
            result.skipReason = QStringLiteral("running as root and there is no user \"nobody\"");
            return result;
        }
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        result.skipReason = QStringLiteral("cannot fork");
        return result;
    }
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            std::_Exit(90);
        if (::geteuid() == 0)
            std::_Exit(91);
        if (::access(QFile::encodeName(folder).constData(), X_OK) != 0)
            std::_Exit(92); // the temporary folder's parents are closed to this user
        std::_Exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        result.skipReason = QStringLiteral("the unprivileged child did not end normally");
        result.ran = true;
        return result;
    }
    result.exitCode = WEXITSTATUS(status);
    if (result.exitCode == 92) {
        result.skipReason = QStringLiteral("the user %1 cannot reach %2").arg(uid).arg(folder);
        return result;
    }
    result.ran = true;
    return result;
}

} // namespace pw::enc::test
