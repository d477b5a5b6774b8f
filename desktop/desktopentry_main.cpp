// Build tool: writes the desktop entry an installation ships, naming the program as found on PATH.
#include "desktop/engine/desktopfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: penwright-desktop-entry OUTPUT\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QByteArray text = pw::desktop::desktopEntryText(QStringLiteral("penwright")).toUtf8();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (text.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size() ||
        !file.commit()) {
        std::fprintf(stderr, "penwright-desktop-entry: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
