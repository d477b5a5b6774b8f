// MacroCommands: recording the component's macro reports into the view's recorder, saving them,
// and running a chosen macro in the active text window.
#include "macros/macrocommands.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereframe.h"
#include "editor/ridereview.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "macros/engine/macrorecorder.h"
#include "macros/macrodialogs.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"

namespace pw {

namespace {

class EditorTarget : public MacroTarget
{
public:
    explicit EditorTarget(CMFCScintilla *editor) : m_editor(editor) {}
    long send(unsigned int message, unsigned long wParam, long lParam) override
    {
        return m_editor->send(message, wParam, lParam);
    }
    long sendText(unsigned int message, unsigned long wParam, const char *text) override
    {
        return m_editor->sendText(message, wParam, text);
    }

private:
    CMFCScintilla *m_editor;
};

} // namespace

struct MacroCommands::ViewMacro
{
    MacroRecorder recorder{MacroCommands::macrosFile()};
    bool recording = false;
    QMetaObject::Connection reports;
    QMetaObject::Connection viewGone;
};

MacroCommands::MacroCommands(EditorHost &host, QObject *parent) : QObject(parent), m_host(host)
{
    const auto idle = [this](CommandUi &ui) {
        const CRidereView *view = activeView();
        ui.enabled = view && !isRecording(view);
    };
    onCommand(
        Cmd::MacroRecord, [this] { recordNew(); }, idle);
    onCommand(
        Cmd::MacroRun, [this] { showMacros(); }, idle);
    onCommand(
        Cmd::MacroStopRecording, [this] { stopRecording(); },
        [this](CommandUi &ui) { ui.enabled = isRecording(activeView()); });
}

MacroCommands::~MacroCommands()
{
    for (auto &[view, macro] : m_views)
        disconnect(macro->viewGone);
}

QString MacroCommands::macrosFile()
{
    return AppFolders::perUserFolder() + QStringLiteral("/macros.xml");
}

ReplayReport MacroCommands::play(CMFCScintilla *editor, const std::deque<MacroStep> &steps)
{
    // One undo action; changes on a big text are not reported one by one.
    CMFCScintilla::QuietChanges quiet(editor, CMFCScintilla::QuietChanges::OneUndoStep);
    EditorTarget target(editor);
    return replayMacro(steps, target);
}

CRidereView *MacroCommands::activeView() const
{
    auto *frame = qobject_cast<CRidereFrame *>(m_host.activeFrame());
    return frame ? frame->view() : nullptr;
}

bool MacroCommands::isRecording(const CRidereView *view) const
{
    const auto found = m_views.find(view);
    return view && found != m_views.end() && found->second->recording;
}

MacroCommands::ViewMacro &MacroCommands::macroOf(CRidereView *view)
{
    auto &slot = m_views[view];
    if (!slot) {
        slot = std::make_unique<ViewMacro>();
        slot->viewGone =
            connect(view, &QObject::destroyed, this, [this, view] { m_views.erase(view); });
    }
    return *slot;
}

MacroRecorder &MacroCommands::recorder(CRidereView *view)
{
    return macroOf(view).recorder;
}

void MacroCommands::recordNew()
{
    CRidereView *view = activeView();
    if (!view || isRecording(view))
        return;
    CNewMacroDialog dialog(m_host, macrosFile(), resourceText(Str::MacroDefaultName), false,
                           m_host.window());
    if (execMacroDialog(dialog) != QDialog::Accepted)
        return;
    ViewMacro &macro = macroOf(view);
    macro.recorder.start(dialog.name());
    macro.recording = true;
    // The component reports recorded messages whatever the size of the text, unlike
    // insertions and deletions, so recording works on big documents too.
    macro.reports = connect(view->editor(), &QsciScintillaBase::SCN_MACRORECORD, this,
                            [this, view](unsigned int message, unsigned long wParam, void *lParam) {
                                const auto found = m_views.find(view);
                                if (found != m_views.end() && found->second->recording)
                                    found->second->recorder.add(int(message), wParam,
                                                                reinterpret_cast<qintptr>(lParam));
                            });
    view->editor()->send(Sci::SCI_STARTRECORD);
}

void MacroCommands::stopRecording()
{
    CRidereView *view = activeView();
    if (!isRecording(view))
        return;
    ViewMacro &macro = macroOf(view);
    macro.recording = false;
    view->editor()->send(Sci::SCI_STOPRECORD);
    disconnect(macro.reports);
    QWidget *window = m_host.window();
    if (macro.recorder.overflowed()) {
        showMessage(
            window, MessageIcon::Exclamation,
            macroMessage(Str::MacroRecordingFull, {QString::number(macrolimits::MaxSteps)}));
    }
    switch (macro.recorder.save()) {
    case MacroRecorder::SaveResult::Saved:
    case MacroRecorder::SaveResult::NoRoot:
        break;
    case MacroRecorder::SaveResult::TooLarge:
        showMessage(window, MessageIcon::Exclamation,
                    macroMessage(Str::MacroFileTooLarge,
                                 {macrosFile(), QString::number(macrolimits::MaxFileBytes >> 20)}));
        break;
    case MacroRecorder::SaveResult::NoNameOrPath:
    case MacroRecorder::SaveResult::WriteFailed:
        showMessage(window, MessageIcon::Exclamation, Str::MacroSaveFailed);
        break;
    }
}

void MacroCommands::showMacros()
{
    CRidereView *view = activeView();
    if (!view || isRecording(view))
        return;
    CMacroDialog dialog(m_host, macrosFile(), m_host.window());
    if (execMacroDialog(dialog) != QDialog::Accepted)
        return;
    runMacro(view, dialog.selectedName());
}

void MacroCommands::runMacro(CRidereView *view, const QString &name)
{
    ViewMacro &macro = macroOf(view);
    QWidget *window = m_host.window();
    switch (macro.recorder.load(name)) {
    case MacroRecorder::LoadResult::Loaded:
    case MacroRecorder::LoadResult::NotFound: // runs the steps the view already holds
        break;
    case MacroRecorder::LoadResult::NoPath:
        showMessage(window, MessageIcon::Exclamation, Str::MacroLoadFailed);
        return;
    case MacroRecorder::LoadResult::TooLarge:
        showMessage(window, MessageIcon::Exclamation,
                    macroMessage(
                        Str::MacroFileTooLarge,
                        {macro.recorder.path(), QString::number(macrolimits::MaxFileBytes >> 20)}));
        return;
    case MacroRecorder::LoadResult::TooManySteps:
        showMessage(
            window, MessageIcon::Exclamation,
            macroMessage(Str::MacroTooManySteps, {name, QString::number(macrolimits::MaxSteps)}));
        return;
    }
    const ReplayReport report = play(view->editor(), macro.recorder.steps());
    if (report.skipped > 0) {
        showMessage(window, MessageIcon::Exclamation,
                    macroMessage(Str::MacroStepNotReplayable,
                                 {QString::number(report.firstSkippedStep),
                                  QString::number(report.firstSkippedMessage)}));
    }
}

} // namespace pw
