// Fuzzes macros.xml as the loader reads it, and replay of what it loads and of random steps into a
// real editing component: nothing may crash or touch memory it does not own.
#include "macros/engine/macrofile.h"
#include "macros/engine/macrorecorder.h"
#include "macros/engine/macroreplay.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <Qsci/qsciscintillabase.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QApplication *app = nullptr;
QsciScintillaBase *editor = nullptr;
QTemporaryDir *folder = nullptr;

class EditorTarget : public pw::MacroTarget
{
public:
    long send(unsigned int message, unsigned long wParam, long lParam) override
    {
        return editor->SendScintilla(message, wParam, lParam);
    }
    long sendText(unsigned int message, unsigned long wParam, const char *text) override
    {
        return editor->SendScintilla(message, wParam, text);
    }
};

// Messages replay knows, and numbers around them, so random steps hit both sides of the filter.
constexpr int Pool[] = {2001, 2002, 2003, 2024, 2025, 2056, 2073, 2077, 2170, 2177, 2178,
                        2179, 2180, 2181, 2182, 2161, 2184, 2194, 2195, 2197, 2276, 2282,
                        2300, 2306, 2324, 2325, 2326, 2329, 2349, 2354, 2366, 2367, 2368,
                        2404, 2422, 2443, 2455, 2469, 2519, 2621, 2629, 2653, 0,    -1};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr char Seed[] = "alpha beta\ngamma\n\tdelta\n";

QByteArray editorText()
{
    const long length = editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    QByteArray text(length + 1, '\0');
    editor->SendScintilla(QsciScintillaBase::SCI_GETTEXT, static_cast<unsigned long>(length + 1),
                          static_cast<void *>(text.data()));
    text.resize(length);
    return text;
}

void replay(const std::deque<pw::MacroStep> &steps)
{
    editor->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, Seed);
    editor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    EditorTarget target;
    editor->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    const pw::ReplayReport report = pw::replayMacro(steps, target);
    editor->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    check(report.replayed + report.skipped == int(steps.size()));
    // However the macro went, one undo brings the text back.
    editor->SendScintilla(QsciScintillaBase::SCI_UNDO);
    check(editorText() == Seed);
}

// Steps from the bytes: a message, two numbers and a short text each.
std::deque<pw::MacroStep> randomSteps(const uint8_t *data, size_t size)
{
    std::deque<pw::MacroStep> steps;
    size_t at = 0;
    const auto byte = [&]() -> uint32_t { return at < size ? data[at++] : 0; };
    while (at < size && steps.size() < 64) {
        pw::MacroStep step;
        const uint32_t pick = byte();
        step.message = pick < 200 ? Pool[pick % std::size(Pool)] : int(byte() << 8 | byte());
        step.wParam = byte() << 24 | byte() << 16 | byte() << 8 | byte();
        step.lParam = int32_t(byte() << 24 | byte() << 8 | byte());
        const size_t length = std::min<size_t>(byte() % 16, size - std::min(at, size));
        step.text.assign(reinterpret_cast<const char *>(data + at), length);
        at += length;
        steps.push_back(std::move(step));
    }
    return steps;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    editor = new QsciScintillaBase;
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses: the bytes as a macros file, or as random steps.
    if (data[0] & 1) {
        const QString path = folder->filePath(QStringLiteral("macros.xml"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
        file.close();
        const QStringList names = pw::macrofile::names(path);
        pw::MacroRecorder recorder(path);
        for (const QString &name : names.mid(0, 4)) {
            if (recorder.load(name) == pw::MacroRecorder::LoadResult::Loaded)
                replay(recorder.steps());
        }
        if (!names.isEmpty()) {
            check(pw::macrofile::contains(path, names.front()));
            pw::macrofile::rename(path, names.front(), QStringLiteral("renamed"));
            pw::macrofile::remove(path, QStringLiteral("renamed"));
        }
    } else {
        replay(randomSteps(data + 1, size - 1));
    }
    return 0;
}
