// File names that are not UTF-8: the string form keeps their bytes, and loading and safe saving
// reach the very file.
#include "editor/encoding/encodingdetector.h"
#include "editor/encoding/fileops.h"
#include "editor/encoding/nativepath.h"
#include "testutil.h"

#include <QUrl>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::enc;
using namespace pw::enc::test;

namespace {

TEST(NativePath, EveryByteStringSurvivesTheStringForm)
{
    const struct
    {
        QByteArray native;
        bool escaped;
    } rows[] = {
        {"plain/name.txt", false},
        {"caf\xc3\xa9/\xe6\x97\xa5.txt", false}, // valid UTF-8 is decoded as Qt does
        {"caf\xe9.txt", true},                   // Latin-1 byte
        {"\xff\xfe", true},                      // never in UTF-8
        {"a\xc3", true},                         // sequence cut at the end
        {"\xe6\x97z", true},                     // cut in the middle
        {"\xc0\xaf", true},                      // overlong slash
        {"\xed\xb3\xa9", true},                  // an encoded surrogate
        {"\xf0\x9f\x98\x80\xe9", true},          // a real pair, then a stray byte
        {"\xf4\x90\x80\x80", true},              // beyond U+10FFFF
    };
    for (const auto &row : rows) {
        const QString path = pathFromNative(row.native);
        EXPECT_EQ(nativeFromPath(path), row.native) << row.native.toHex().constData();
        EXPECT_EQ(hasEscapedBytes(path), row.escaped) << row.native.toHex().constData();
        if (!row.escaped) {
            EXPECT_EQ(path, QString::fromUtf8(row.native));
        }
        EXPECT_FALSE(displayPath(path).contains(QChar(0xDCE9)));
        EXPECT_EQ(displayPath(path).contains(QChar(QChar::ReplacementCharacter)), row.escaped);
    }
    EXPECT_EQ(displayPath(pathFromNative("caf\xe9.txt")), QStringLiteral(u"caf\uFFFD.txt"));

    // Dropped files come as URLs.
    EXPECT_EQ(nativeFromPath(pathFromLocalUrl(QUrl(QStringLiteral("file:///t/caf%E9%20x.txt")))),
              "/t/caf\xe9 x.txt");
    const QUrl valid(QStringLiteral("file:///t/caf%C3%A9.txt"));
    EXPECT_EQ(pathFromLocalUrl(valid), valid.toLocalFile());
    EXPECT_EQ(pathFromLocalUrl(QUrl(QStringLiteral("https://example.org/a"))), QString());
}

class NativePathFile : public TempFolder
{
protected:
    // QTemporaryDir cannot reach these names to remove them.
    void TearDown() override
    {
        for (const QByteArray &name : nativeEntries())
            ::unlink(QByteArray(nativeFolder() + '/' + name).constData());
    }
    QByteArray nativeFolder() const { return QFile::encodeName(folder()); }
    QList<QByteArray> nativeEntries() const
    {
        QList<QByteArray> names;
        DIR *dir = ::opendir(nativeFolder().constData());
        while (dirent *entry = dir ? ::readdir(dir) : nullptr) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        if (dir)
            ::closedir(dir);
        return names;
    }
};

TEST_F(NativePathFile, LoadAndSafeSaveReachTheFileByItsBytes)
{
    const QByteArray native = nativeFolder() + "/caf\xe9.txt";
    {
        std::FILE *file = std::fopen(native.constData(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("na\xefve\n", file);
        std::fclose(file);
    }
    const QString path = pathFromNative(native);
    EXPECT_TRUE(pathExists(path));
    EXPECT_TRUE(pathIsFile(path));
    EXPECT_TRUE(pathIsWritable(path));
    EXPECT_FALSE(pathExists(QFile::decodeName(native))) << "Qt's own decoding loses the name";

    EncodingDetector detector;
    ASSERT_TRUE(detector.detect(path));
    const Loaded loaded = loadAll(path, Auto);
    ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
    EXPECT_EQ(loaded.text, "na\xc3\xafve\n");

    QString error;
    ASSERT_TRUE(saveAll(path, loaded.encoding, loaded.markLength, "saved \xc3\xaf\n", &error))
        << error.toStdString();
    EXPECT_EQ(nativeEntries(), QList<QByteArray>{"caf\xe9.txt"}) << "saved beside, not over";
    std::FILE *file = std::fopen(native.constData(), "rb");
    ASSERT_NE(file, nullptr);
    char back[32] = {};
    const std::size_t got = std::fread(back, 1, sizeof back, file);
    std::fclose(file);
    EXPECT_EQ(std::string(back, got), "saved \xef\n");

    // The attributes a properties box shows and sets.
    sys::Info info;
    ASSERT_FALSE(sys::infoOf(path, info));
    ASSERT_TRUE(info.exists);
    EXPECT_EQ(info.size, 8);
    EXPECT_GT(info.accessedNs, 0);
    ASSERT_FALSE(sys::setMode(path, info.mode & ~0222u));
    struct stat st;
    ASSERT_EQ(::stat(native.constData(), &st), 0);
    EXPECT_EQ(unsigned(st.st_mode & 07777), info.mode & ~0222u);
    const std::int64_t created = sys::createdNs(path);
    // Some file systems keep no creation time; where one is kept it is no later than the change.
    if (created) {
        EXPECT_LE(created, info.modifiedNs);
    }
    EXPECT_TRUE(sys::setMode(pathFromNative(nativeFolder() + "/gone\xe9"), 0644));
}

} // namespace
