// libFuzzer target: random create, rename, move and delete runs on a real folder with names of any
// bytes; the listing's order and the Windows-1252 to UTF-8 conversion of the insertion lists.
#include "explorers/engine/listtables.h"
#include "explorers/engine/projecttree.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::explorers;

namespace {

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__);            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

class Input
{
public:
    Input(const std::uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_at >= m_size; }
    std::uint8_t byte() { return empty() ? 0 : m_data[m_at++]; }
    // A name of 1-12 bytes, none of them a slash or NUL.
    QByteArray name()
    {
        QByteArray text;
        const int length = 1 + byte() % 12;
        for (int i = 0; i < length && !empty(); ++i) {
            char c = char(byte());
            if (c == '/' || c == '\0')
                c = '_';
            text += c;
        }
        return text.isEmpty() ? QByteArray("n") : text;
    }

private:
    const std::uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

const QByteArray &workFolder()
{
    static const QByteArray folder = [] {
        char pattern[] = "/tmp/pw-projecttree-fuzz-XXXXXX";
        const char *made = ::mkdtemp(pattern);
        CHECK(made != nullptr);
        return QByteArray(made);
    }();
    return folder;
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

void checkOrder(const QByteArray &folder, int depth)
{
    const std::vector<ProjectEntry> entries = listFolder(folder);
    for (size_t i = 0; i < entries.size(); ++i) {
        CHECK(exists(entries[i].nativePath));
        if (i > 0)
            CHECK(!entryLess(entries[i], entries[i - 1]));
        if (entries[i].isFolder && depth < 4)
            checkOrder(entries[i].nativePath, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    Input in(data, size);
    const QByteArray root = workFolder() + "/run";
    removeEntry(root);
    CHECK(ensureFolder(root));
    std::vector<QByteArray> known{root};
    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const QByteArray &base = known[in.byte() % known.size()];
        switch (in.byte() % 5) {
        case 0: {
            const QByteArray name = in.name();
            if (createFolder(base, name))
                known.push_back(base + '/' + name);
            break;
        }
        case 1: {
            const QByteArray path = base + '/' + in.name();
            if (createEmptyFile(path))
                CHECK(exists(path));
            break;
        }
        case 2: {
            QByteArray renamed;
            const QByteArray newName = in.name();
            if (base != root && renameEntry(base, newName, &renamed)) {
                CHECK(exists(renamed) && (renamed == base || !exists(base)));
                known.clear();
                known.push_back(root);
            }
            break;
        }
        case 3:
            if (base != root && removeEntry(base)) {
                CHECK(!exists(base));
                known.clear();
                known.push_back(root);
            }
            break;
        default: {
            const QByteArray &target = known[in.byte() % known.size()];
            QByteArray moved;
            if (dropAllowed(base, target) && moveInto(base, target, &moved)) {
                CHECK(exists(moved));
                known.clear();
                known.push_back(root);
            }
            break;
        }
        }
    }
    checkOrder(root, 0);
    CHECK(!expandedTree(root).isEmpty());
    CHECK(removeEntry(root) && !exists(root));

    // Any Windows-1252 bytes become valid UTF-8 holding one character per byte.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray utf8 = insertionBytes({bytes, bytes}, true);
    CHECK(QString::fromUtf8(utf8).size() == bytes.size());
    CHECK(QString::fromUtf8(utf8).toUtf8() == utf8);
    return 0;
}
