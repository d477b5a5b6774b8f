// PreviewCommands: finds or opens a text window's preview and hands it the text.
#include "markup/previewcommands.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/messages.h"
#include "markup/htmlpreview.h"
#include "resources/commandids.h"
#include "resources/stringids.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QUrl>

namespace pw {

namespace {

constexpr int AnsiEncoding = 3;

} // namespace

PreviewCommands::PreviewCommands(EditorHost &host, QObject *parent) : QObject(parent), m_host(host)
{
    // Chromium reads its flags once, when the first page is made.
    prepareWebEngine();
    onCommand(
        Cmd::PreviewInBrowser, [this] { previewActive(); },
        [this](CommandUi &ui) {
            CMDIChildFrame *frame = m_host.activeFrame();
            ui.enabled = frame && qobject_cast<CRidereDoc *>(frame->document());
        });
}

CHTMLPreviewFrame *PreviewCommands::previewOf(const QObject *textFrame) const
{
    return m_previews.value(textFrame);
}

CHTMLPreviewFrame *PreviewCommands::previewActive()
{
    CMDIChildFrame *textFrame = m_host.activeFrame();
    auto *doc = textFrame ? qobject_cast<CRidereDoc *>(textFrame->document()) : nullptr;
    if (!doc)
        return nullptr;
    CMFCScintilla *editor = doc->editor();
    const long length = editor->send(Sci::SCI_GETLENGTH);
    QByteArray text = length < 1 ? QByteArray() : editor->textRange(0, length);
    if (doc->encoding() == AnsiEncoding)
        text = editor->fromEditorBytes(text).toUtf8();
    // Relative links and images resolve where the file lies; an untitled text has no folder.
    const QUrl base =
        doc->pathName().isEmpty()
            ? QUrl()
            : QUrl::fromLocalFile(QFileInfo(doc->pathName()).absolutePath() + QLatin1Char('/'));

    CHTMLPreviewFrame *preview = previewOf(textFrame);
    if (preview) {
        if (QMdiArea *area = preview->mdiArea())
            area->setActiveSubWindow(preview);
    } else {
        CDocument *opened = m_host.openDocument(QString(), OpenRequest{OpenWebPreview});
        preview = opened ? qobject_cast<CHTMLPreviewFrame *>(opened->frame()) : nullptr;
        if (!preview)
            return nullptr;
        m_previews.insert(textFrame, preview);
        connect(textFrame, &QObject::destroyed, this,
                [this](QObject *gone) { m_previews.remove(gone); });
    }
    preview->view()->showHtml(text, base);
    // After the activation, which clears the message pane.
    if (prepareWebEngine() && !preview->view()->usesFallback())
        m_host.setStatusText(StatusPane::Message, resourceText(Str::WebPreviewNoSandbox));
    return preview;
}

} // namespace pw
