// FindInFilesController: command 9000, the unsaved texts a search reads, and a result's opening.
#include "findinfiles/findinfilescontroller.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "findinfiles/findinfilesdlg.h"
#include "findinfiles/findinfilesresults.h"
#include "framework/document.h"
#include "resources/commandids.h"

#include <QFileInfo>
#include <QWidget>

namespace pw {

namespace {

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}

} // namespace

FindInFilesController::FindInFilesController(EditorHost &host, CFindInFilesResults *results,
                                             std::function<void()> showPane, QObject *parent)
    : QObject(parent), m_host(host), m_results(results), m_showPane(std::move(showPane))
{
    onCommand(Cmd::FindInFiles, [this] { openDialog(); });
    connect(results, &CFindInFilesResults::resultActivated, this,
            &FindInFilesController::openResult);
}

CFindInFilesDlg *FindInFilesController::dialog() const
{
    return m_dialog;
}

void FindInFilesController::showResults() const
{
    if (m_showPane)
        m_showPane();
}

void FindInFilesController::openDialog()
{
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_dialog = new CFindInFilesDlg(*this, m_host.window());
    connect(m_dialog, &QObject::destroyed, this, &FindInFilesController::dialogDestroyed);
    m_dialog->setModal(true);
    m_dialog->show();
}

std::unordered_map<std::string, std::string> FindInFilesController::unsavedTexts() const
{
    std::unordered_map<std::string, std::string> texts;
    QWidget *window = m_host.window();
    if (!window)
        return texts;
    // The document windows live in the main window's workspace.
    for (CMDIChildFrame *frame : window->findChildren<CMDIChildFrame *>()) {
        auto *document = qobject_cast<CRidereDoc *>(frame->document());
        if (!document || !document->isModified() || document->pathName().isEmpty() ||
            document->isLoading())
            continue;
        CMFCScintilla *editor = document->editor();
        if (!editor)
            continue;
        const long length = editor->send(Sci::SCI_GETLENGTH);
        const QByteArray text = editor->textRange(0, length);
        const std::string key =
            QFile::encodeName(QFileInfo(document->pathName()).absoluteFilePath()).toStdString();
        texts[key] = text.toStdString();
    }
    return texts;
}

void FindInFilesController::openResult(const QString &path, int line, unsigned column)
{
    CDocument *document = m_host.openWithAutomaticChoice(path);
    if (!document) {
        // Already open: the open routine brought its window to the front.
        CMDIChildFrame *frame = m_host.activeFrame();
        if (frame && frame->document() &&
            canonical(frame->document()->pathName()) == canonical(path))
            document = frame->document();
    }
    auto *text = qobject_cast<CRidereDoc *>(document);
    if (!text)
        return;
    // Lines and columns are the file's, which the document places even where it holds long
    // lines cut.
    if (!text->isLoading()) {
        text->goToFileLine(line, column);
        return;
    }
    auto *once = new QObject(this);
    connect(text, &CRidereDoc::loadFinished, once, [once, text, line, column] {
        text->goToFileLine(line, column);
        once->deleteLater();
    });
    connect(text, &QObject::destroyed, once, &QObject::deleteLater);
}

} // namespace pw
