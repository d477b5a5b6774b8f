// penwright-bench edit: editing commands on a generated 100 MB, 2-million-line document.
#include "settings/appfolders.h"
#include "framework/commandrouter.h"
#include "app/mainframe.h"
#include "framework/messages.h"
#include "app/penwrightapp.h"
#include "bench/benchapp.h"
#include "bench/benchregistry.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "resources/commandids.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace pw;
using namespace pw::bench;

namespace {

// Lines of about 50 bytes (2 million make 100 MB) with trailing blanks, tabs for indentation
// and braces to match.
QByteArray makeSource(qint64 lines)
{
    static const char *const shapes[] = {
        "\tif (value > limit && count < maximum_count) {   \n",
        "\t\ttotal += compute(value, 8) + adjust(count);\t \n",
        "\t}  // end of the loop over the measured values\n",
        "    spaces   = \"eight spaces here, and more\";    \n",
    };
    QByteArray text;
    text.reserve(lines * 50);
    for (qint64 i = 0; i < lines; ++i)
        text += shapes[i % 4];
    return text;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

QJsonObject edit(const QStringList &args)
{
    const qint64 lines =
        option(args, QStringLiteral("--lines"), QStringLiteral("2000000")).toLongLong();
    // The language follows the extension; "txt" measures the commands without a lexer.
    const QString ext = option(args, QStringLiteral("--ext"), QStringLiteral("cpp"));
    const QStringList stages =
        option(args, QStringLiteral("--stages"),
               QStringLiteral("trim,tabs,spaces,bookmarked,comment,caret,longline"))
            .split(QLatin1Char(','));
    BenchApp bench;
    const QString path = bench.dir.filePath(QStringLiteral("big.") + ext);
    {
        QFile file(path);
        const QByteArray text = makeSource(lines);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return {{QStringLiteral("error"), QStringLiteral("cannot write the test file")}};
    }
    CRidereDoc *doc = bench.openText(path);
    if (!doc)
        return {{QStringLiteral("error"), QStringLiteral("open failed")}};
    CMFCScintilla *ed = doc->editor();
    CommandRouter *router = bench.app->mainFrame()->router();
    QJsonObject out;
    out[QStringLiteral("lines")] = lines;
    out[QStringLiteral("bytes")] = double(ed->send(Sci::SCI_GETLENGTH));

    const auto command = [&](int id, const char *name) {
        const qint64 before = ed->send(Sci::SCI_GETLENGTH);
        const bool known = router->state(id).enabled;
        out[QLatin1String(name) + QStringLiteral("_seconds")] =
            known ? timed([&] { router->execute(id); }) : -1;
        out[QLatin1String(name) + QStringLiteral("_bytes_changed")] =
            double(before - ed->send(Sci::SCI_GETLENGTH));
        // One undo step takes the whole command back.
        if (known) {
            out[QLatin1String(name) + QStringLiteral("_undo_seconds")] =
                timed([&] { router->execute(Cmd::EditUndo); });
            out[QLatin1String(name) + QStringLiteral("_undone")] =
                ed->send(Sci::SCI_GETLENGTH) == before;
        }
    };
    if (stages.contains(QStringLiteral("trim")))
        command(Cmd::TrimTrailingSpaces, "trim_trailing_spaces");
    if (stages.contains(QStringLiteral("tabs")))
        command(Cmd::TabsToSpaces, "tabs_to_spaces");
    if (stages.contains(QStringLiteral("spaces")))
        command(Cmd::SpacesToTabs, "spaces_to_tabs");

    // With a bookmark in the document the edits never reach across a line end, which makes
    // many more of them.
    if (stages.contains(QStringLiteral("bookmarked"))) {
        ed->toggleBookmark(10);
        command(Cmd::TabsToSpaces, "tabs_to_spaces_bookmarked");
        ed->clearBookmarks();
    }

    // Comment and UnComment over 100,000 lines.
    if (stages.contains(QStringLiteral("comment"))) {
        const long end = ed->send(Sci::SCI_POSITIONFROMLINE, 100000);
        ed->send(Sci::SCI_SETSEL, 0, end);
        out[QStringLiteral("comment_100k_lines_seconds")] =
            timed([&] { router->execute(Cmd::CommentLines); });
        ed->send(Sci::SCI_SETSEL, 0, ed->send(Sci::SCI_POSITIONFROMLINE, 100000));
        out[QStringLiteral("uncomment_100k_lines_seconds")] =
            timed([&] { router->execute(Cmd::UnCommentLines); });
    }

    // Caret moves with brace matching on: each move updates the status bar and the braces.
    if (stages.contains(QStringLiteral("caret"))) {
        const int moves = 2000;
        double moving = 0;
        double painting = 0;
        for (int i = 0; i < moves; ++i) {
            moving += timed([&] {
                ed->send(Sci::SCI_GOTOLINE, (qint64(i) * 997) % lines);
                ed->send(Sci::SCI_LINEEND);
            });
            painting += timed([] { QCoreApplication::processEvents(); });
        }
        out[QStringLiteral("caret_move_with_braces_mean_ms")] = (moving + painting) * 1000 / moves;
        out[QStringLiteral("caret_move_paint_mean_ms")] = painting * 1000 / moves;
    }

    // A line of 1 MB at the end, with a brace at each end: the status bar's column and the
    // brace match both scan it.
    if (stages.contains(QStringLiteral("longline"))) {
        QByteArray line = "{" + QByteArray(1 << 20, 'x') + "}";
        ed->send(Sci::SCI_DOCUMENTEND);
        ed->send(Sci::SCI_ADDTEXT, line.size(), reinterpret_cast<long>(line.constData()));
        QCoreApplication::processEvents();
        const long lineStart =
            ed->send(Sci::SCI_POSITIONFROMLINE, ed->send(Sci::SCI_GETLINECOUNT) - 1);
        const long lineEnd = ed->send(Sci::SCI_GETLENGTH);
        const int moves = 50;
        const double seconds = timed([&] {
            for (int i = 0; i < moves; ++i) {
                // Alternately just after the closing brace and just after the opening one.
                ed->send(Sci::SCI_GOTOPOS, i % 2 ? lineEnd : lineStart + 1);
                QCoreApplication::processEvents();
            }
        });
        out[QStringLiteral("caret_move_on_1mb_line_mean_ms")] = seconds * 1000 / moves;
        router->execute(Cmd::EditUndo);
    }

    out[QStringLiteral("targets")] =
        QJsonObject{{QStringLiteral("trim_trailing_spaces_seconds"), 3},
                    {QStringLiteral("tabs_to_spaces_seconds"), 3},
                    {QStringLiteral("comment_100k_lines_seconds"), 1}};
    return out;
}

} // namespace

PW_BENCH("edit", edit);
