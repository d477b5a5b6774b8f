// MarkupCommands: runs Tidy and the XML check over the active text and puts the results in.
#include "markup/markupcommands.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/document.h"
#include "markup/engine/tidyprofiles.h"
#include "markup/engine/xmlcheck.h"
#include "markup/tidysheet.h"
#include "resources/commandids.h"

#include <QThread>

namespace pw {

namespace {

MarkupCommands::SheetHook &sheetHook()
{
    static MarkupCommands::SheetHook hook;
    return hook;
}

QByteArray wholeText(CMFCScintilla *editor)
{
    const long length = editor->send(Sci::SCI_GETLENGTH);
    return length < 1 ? QByteArray() : editor->textRange(0, length);
}

constexpr int AnsiEncoding = 3;

} // namespace

void MarkupCommands::setSheetHook(SheetHook hook)
{
    sheetHook() = std::move(hook);
}

MarkupCommands::MarkupCommands(EditorHost &host, OutputFn output, QObject *parent)
    : QObject(parent), m_host(host), m_output(std::move(output))
{
    const auto textDocument = [this](CommandUi &ui) {
        ui.enabled = activeTextDocument() != nullptr;
    };
    const auto cleanable = [this](CommandUi &ui) {
        CRidereDoc *doc = activeTextDocument();
        ui.enabled = doc && !m_running && !doc->editor()->isReadOnly();
    };
    onCommand(
        Cmd::HtmlCleanRepair, [this] { clean(TidyProfiles::HtmlClean); }, cleanable);
    onCommand(
        Cmd::XhtmlCleanRepair, [this] { clean(TidyProfiles::XhtmlClean); }, cleanable);
    onCommand(
        Cmd::XmlPrettyPrint, [this] { clean(TidyProfiles::XmlPrettyPrint); }, cleanable);
    onCommand(
        Cmd::XmlWellFormedCheck, [this] { checkWellFormed(); }, textDocument);
    onCommand(Cmd::TidyProperties, [this] { showTidySheet(0); });
    onCommand(Cmd::XmlTidyProperties, [this] { showTidySheet(2); });
}

MarkupCommands::~MarkupCommands()
{
    // Tidy cannot be interrupted; a run still going when the program closes is let finish, its
    // result dropped with the windows.
    if (m_worker) {
        m_worker->disconnect(this);
        m_worker->wait();
        delete m_worker;
    }
}

CRidereDoc *MarkupCommands::activeTextDocument() const
{
    CMDIChildFrame *frame = m_host.activeFrame();
    return frame ? qobject_cast<CRidereDoc *>(frame->document()) : nullptr;
}

void MarkupCommands::report(const QByteArray &text)
{
    if (m_output)
        m_output(QString::fromUtf8(text));
}

bool MarkupCommands::clean(const char *profile)
{
    CRidereDoc *doc = activeTextDocument();
    if (!doc || m_running)
        return false;
    CMFCScintilla *editor = doc->editor();
    const QByteArray text = wholeText(editor);
    const QString path = TidyProfiles::ensure(profile);
    const TidyTextEncoding encoding =
        doc->encoding() == AnsiEncoding ? TidyTextEncoding::Ansi : TidyTextEncoding::Utf8;

    if (text.size() < WorkerBytes) {
        finish(editor, runTidy(text, path, encoding));
        return true;
    }

    // A big page takes Tidy seconds: the window goes on meanwhile, and the text stays as Tidy
    // saw it, so the result can replace it whole.
    m_running = true;
    const bool wasReadOnly = editor->isReadOnly();
    editor->setReadOnly(true);
    std::shared_ptr<Progress> progress = m_host.startBackgroundProgress(1);
    auto result = std::make_shared<TidyRun>();
    QThread *worker = QThread::create(
        [result, text, path, encoding] { *result = runTidy(text, path, encoding); });
    m_worker = worker;
    QPointer<CMFCScintilla> target(editor);
    connect(worker, &QThread::finished, this,
            [this, worker, result, target, progress, wasReadOnly] {
                worker->deleteLater();
                m_running = false;
                if (!target)
                    return;
                target->setReadOnly(wasReadOnly);
                if (progress->stopRequested())
                    return;
                progress->step(1);
                finish(target, *result);
            });
    worker->start();
    return true;
}

void MarkupCommands::finish(CMFCScintilla *editor, const TidyRun &run)
{
    report(run.message());
    if (run.ok()) {
        // One replacement of the whole text, so one Undo brings the old text back.
        CMFCScintilla::QuietChanges quiet(editor, CMFCScintilla::QuietChanges::OneUndoStep);
        editor->selectAll();
        editor->send(Sci::SCI_TARGETFROMSELECTION);
        editor->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(run.output.size()),
                         run.output.constData());
        editor->send(Sci::SCI_GOTOPOS, 0);
    }
    emit cleanFinished(run.rc);
}

bool MarkupCommands::checkWellFormed()
{
    CRidereDoc *doc = activeTextDocument();
    if (!doc)
        return false;
    report(checkXml(wholeText(doc->editor())).message().toUtf8());
    return true;
}

void MarkupCommands::showTidySheet(int page)
{
    CTidySheet sheet(m_host.window());
    sheet.setCurrentPage(page);
    if (sheetHook())
        sheetHook()(sheet);
    else
        sheet.exec();
}

} // namespace pw
