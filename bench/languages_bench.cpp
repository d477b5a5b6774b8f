// penwright-bench "languages": loading the shipped language files, and colouring a big C++ file.
#include "settings/framesettings.h"
#include "bench/benchregistry.h"
#include "editor/mfcscintilla.h"
#include "languages/engine/languagechoice.h"
#include "languages/engine/languagelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

using pw::bench::median;

namespace {

constexpr double LoadTargetMs = 30;
constexpr double ApplyTargetMs = 100;

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Counts the paints of a widget, so a measurement can stop at the first one that completes.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool handled = QObject::eventFilter(watched, event);
        if (event->type() == QEvent::Paint)
            ++paints;
        return handled;
    }
};

// Runs the event loop until the viewport has painted again; false after five seconds without.
bool waitForPaint(const PaintCounter &counter)
{
    const int before = counter.paints;
    QElapsedTimer timer;
    timer.start();
    while (counter.paints == before && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return counter.paints != before;
}

// A C++ file of about `bytes` bytes, made of a repeated realistic block.
QByteArray cppText(qsizetype bytes)
{
    const QByteArray block = "// Adds two values with a bit of everything the lexer sees.\n"
                             "#include <vector>\n"
                             "#ifdef FEATURE_X\n"
                             "static const char *name = \"feature\";\n"
                             "#endif\n"
                             "template <typename T>\n"
                             "T add(const std::vector<T> &items, T start = 0)\n"
                             "{\n"
                             "    /* sum every item */\n"
                             "    for (const T &item : items)\n"
                             "        start += item * 2 + 0x1F;\n"
                             "    return start; // done\n"
                             "}\n\n";
    QByteArray text;
    text.reserve(bytes + block.size());
    while (text.size() < bytes)
        text += block;
    return text;
}

// "--which FILE": the menu label of the language opening FILE would choose, as the last line.
QJsonObject whichLanguage(const QString &folder, const QString &path)
{
    QJsonObject result;
    pw::LanguageList list;
    list.load(folder);
    if (list.count() == 0) {
        result[QStringLiteral("error")] = QStringLiteral("no language files in %1").arg(folder);
        return result;
    }
    const pw::LanguageChoice choice = pw::chooseLanguage(list, path, pw::readFirstLine(path));
    std::printf("%s\n", qPrintable(list.get(choice.index).menuLabel));
    std::fflush(stdout);
    result[QStringLiteral("printed")] = true;
    return result;
}

QJsonObject languagesBench(const QStringList &args)
{
    QJsonObject result;
    const QString folder = pw::bench::option(args, QStringLiteral("--config"),
                                             QCoreApplication::applicationDirPath() + u"/Config");
    if (args.contains(QStringLiteral("--which")))
        return whichLanguage(folder, pw::bench::option(args, QStringLiteral("--which")));
    const int runs = std::max(
        1, pw::bench::option(args, QStringLiteral("--runs"), QStringLiteral("21")).toInt());
    const qsizetype megabytes =
        std::max(1, pw::bench::option(args, QStringLiteral("--mb"), QStringLiteral("10")).toInt());

    // (a) Loading the folder, as the main window does at start-up.
    std::vector<double> loads;
    pw::LanguageList list;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        list.load(folder);
        loads.push_back(msSince(timer));
    }
    if (list.count() == 0) {
        result[QStringLiteral("error")] = QStringLiteral("no language files in %1").arg(folder);
        return result;
    }
    const double loadMs = median(loads);

    pw::LanguageRecord cpp = list.get(list.indexOfExtension(QStringLiteral(".cpp")));
    const pw::LanguageRecord text = list.get(list.indexOfDefault());

    // (b) Applying a language to a big file in a shown editor, up to its first paint.
    QWidget window;
    auto *editor = new pw::CMFCScintilla(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editor);
    window.resize(1000, 700);
    editor->setupDefaults();
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    window.show();
    const QByteArray content = cppText(megabytes * 1024 * 1024);
    editor->send(pw::Sci::SCI_SETUNDOCOLLECTION, 0);
    editor->sendText(pw::Sci::SCI_SETTEXT, 0, content.constData());
    waitForPaint(counter);

    const pw::FrameSettings options;
    std::vector<double> applies;
    bool painted = true;
    for (int i = 0; i < 5; ++i) {
        // Plain text first, so that every measured run colours from scratch.
        editor->applyLanguage(text, options);
        waitForPaint(counter);
        QElapsedTimer timer;
        timer.start();
        editor->applyLanguage(cpp, options);
        painted = waitForPaint(counter) && painted;
        applies.push_back(msSince(timer));
    }
    const double applyMs = median(applies);

    // For comparison: what styling the whole file at once would cost.
    editor->send(pw::Sci::SCI_CLEARDOCUMENTSTYLE);
    QElapsedTimer whole;
    whole.start();
    editor->send(pw::Sci::SCI_COLOURISE, 0, -1);
    const double wholeMs = msSince(whole);

    result[QStringLiteral("config_folder")] = QDir::cleanPath(folder);
    result[QStringLiteral("languages")] = list.count();
    result[QStringLiteral("load_runs")] = runs;
    result[QStringLiteral("load_ms")] = loadMs;
    result[QStringLiteral("load_target_ms")] = LoadTargetMs;
    result[QStringLiteral("document_bytes")] = double(content.size());
    result[QStringLiteral("apply_runs")] = int(applies.size());
    result[QStringLiteral("apply_to_first_paint_ms")] = applyMs;
    result[QStringLiteral("apply_target_ms")] = ApplyTargetMs;
    result[QStringLiteral("painted")] = painted;
    result[QStringLiteral("style_whole_file_ms")] = wholeMs;
    result[QStringLiteral("pass")] = painted && loadMs <= LoadTargetMs && applyMs <= ApplyTargetMs;
    return result;
}

PW_BENCH("languages", languagesBench);

} // namespace
