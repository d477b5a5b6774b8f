// CRidereDoc: loading, saving, reload, title decoration and the encoding and line-ending commands.
#include "editor/rideredoc.h"

#include "editor/doccore/doccore.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/textfile.h"
#include "editor/filedialogex.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "framework/messages.h"
#include "languages/engine/languagelist.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QFileInfo>

namespace pw {

namespace {
constexpr std::size_t kChunkBytes = 262144;

// The load runs with undo recording and modification reports off, restoring both however it
// ends.
class LoadGuard
{
public:
    explicit LoadGuard(CMFCScintilla *editor)
        : m_editor(editor), m_quiet(editor, CMFCScintilla::QuietChanges::SeparateSteps)
    {
        editor->send(Sci::SCI_SETUNDOCOLLECTION, 0);
        editor->send(Sci::SCI_BEGINUNDOACTION);
    }
    ~LoadGuard()
    {
        m_editor->send(Sci::SCI_ENDUNDOACTION);
        m_editor->send(Sci::SCI_SETUNDOCOLLECTION, 1);
    }

private:
    CMFCScintilla *m_editor;
    CMFCScintilla::QuietChanges m_quiet;
};

} // namespace

CRidereDoc::CRidereDoc(EditorHost &host) : CDocument(host), m_editorHost(host)
{
    static constexpr int kEncodingOfCommand[] = {enc::Ansi, enc::Utf8, enc::Unicode,
                                                 enc::UnicodeBigEndian};
    onCommandRange(
        Cmd::EncodingAnsi, Cmd::EncodingUnicodeBigEndian,
        [this](int id) { setEncoding(kEncodingOfCommand[id - Cmd::EncodingAnsi]); },
        [this](int id, CommandUi &ui) {
            const int wanted = kEncodingOfCommand[id - Cmd::EncodingAnsi];
            ui.checked = m_encoding == wanted || (wanted == enc::Ansi && m_encoding == enc::Auto);
        });
    onCommandRange(
        Cmd::LineEndingWindows, Cmd::LineEndingUnix,
        [this](int id) { setLineEnding(id - Cmd::LineEndingWindows); },
        [this](int id, CommandUi &ui) {
            ui.checked = m_lineEnding == id - Cmd::LineEndingWindows;
        });
    onCommand(
        Cmd::RefreshFunctionList,
        [this] { requestFunctionList(FunctionListService::Reason::Forced); },
        [this](CommandUi &ui) {
            FunctionListService *list = m_editorHost.functionList();
            CMFCScintilla *ed = editor();
            ui.enabled = m_languageId > 0 && ed && ed->send(Sci::SCI_GETLENGTH) < 2097152 &&
                         list && list->isShown();
        });
    onCommand(
        Cmd::ReloadDocument, [this] { reload(); },
        [this](CommandUi &ui) { ui.enabled = !pathName().isEmpty(); });
}

CRidereView *CRidereDoc::view() const
{
    CMDIChildFrame *owner = frame();
    return owner ? qobject_cast<CRidereView *>(owner->viewWidget()) : nullptr;
}

CMFCScintilla *CRidereDoc::editor() const
{
    CRidereView *v = view();
    return v ? v->editor() : nullptr;
}

QString CRidereDoc::decoratedTitle() const
{
    return doc::decorateTitle(title(), isModified(), m_readOnly);
}

void CRidereDoc::setModifiedFlag(bool modified)
{
    CDocument::setModifiedFlag(modified);
}

bool CRidereDoc::onNewDocument()
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    ed->send(Sci::SCI_SETSAVEPOINT);
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    chooseLanguageByExtension(QString());
    // New documents start with the platform's line ending, as the component does.
    m_lineEnding = int(ed->send(Sci::SCI_GETEOLMODE));
    setModifiedFlag(false);
    return CDocument::onNewDocument();
}

bool CRidereDoc::onOpenDocument(const QString &path, const OpenRequest &request)
{
    m_encoding = request.encoding;
    m_markLength = request.markLength;
    m_readOnly = request.readOnly;
    chooseLanguageByExtension(extensionOf(path));

    QString error;
    if (!load(path, &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Information, error);
        return false;
    }
    setPathName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    CMFCScintilla *ed = editor();
    m_lineEnding = int(ed->send(Sci::SCI_GETEOLMODE));
    ed->setCodePage(enc::editorCodePage(enc::DocEncoding(m_encoding)));
    ed->setReadOnly(m_readOnly);
    requestFunctionList(FunctionListService::Reason::Loaded);
    setModifiedFlag(false);
    return true;
}

void CRidereDoc::requestFunctionList(FunctionListService::Reason reason)
{
    FunctionListService *list = m_editorHost.functionList();
    CMFCScintilla *ed = editor();
    if (!list || !ed)
        return;
    // Untitled documents are told apart by their titles.
    const QString key = pathName().isEmpty() ? title() : pathName();
    list->requestParse(ed, key, m_languageId, reason);
}

bool CRidereDoc::load(const QString &path, QString *error)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    enc::TextFileReader reader;
    if (!reader.open(path, enc::DocEncoding(m_encoding), m_markLength, error))
        return false;
    // The reader keeps a named mark only when the file really starts with it.
    m_markLength = reader.markLength();
    if (reader.wasReadOnly())
        m_readOnly = true;

    const std::unique_ptr<Progress> progress = m_editorHost.startProgress(reader.size());
    {
        LoadGuard guard(ed);
        ed->setReadOnly(false);
        ed->send(Sci::SCI_CLEARALL);
        ed->send(Sci::SCI_ALLOCATE, reader.size() + 1000);
        std::string chunk;
        while (reader.nextChunk(chunk)) {
            if (!chunk.empty())
                ed->send(Sci::SCI_APPENDTEXT, chunk.size(), reinterpret_cast<long>(chunk.data()));
            progress->step(reader.position());
        }
        if (reader.hasError()) {
            if (error)
                *error = reader.errorString();
            ed->send(Sci::SCI_CLEARALL);
            return false;
        }
        // Only the end of the first line matters; never copy a huge first line.
        const long firstLineEnd = ed->send(Sci::SCI_POSITIONFROMLINE, 1);
        const long lineEnd = firstLineEnd > 0 ? firstLineEnd : ed->send(Sci::SCI_GETLENGTH);
        const QByteArray tail = ed->textRange(std::max(0L, lineEnd - 2), lineEnd);
        const int mode = enc::detectLineEnding(std::string_view(tail.constData(), tail.size()),
                                               int(ed->send(Sci::SCI_GETEOLMODE)));
        ed->send(Sci::SCI_SETEOLMODE, mode);
    }
    ed->send(Sci::SCI_SETSAVEPOINT);
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    ed->send(Sci::SCI_GOTOPOS, 0);
    if (m_editorHost.settings().lineNumbers)
        ed->showLineNumbers(true);
    return true;
}

void CRidereDoc::reload()
{
    if (pathName().isEmpty() || !isModified())
        return;
    if (showMessage(m_editorHost.window(), MessageIcon::Question, Str::ReloadModifiedQuestion,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QString error;
    chooseLanguageByExtension(extensionOf(pathName()));
    if (!load(pathName(), &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Information, error);
        return;
    }
    CMFCScintilla *ed = editor();
    ed->setCodePage(enc::editorCodePage(enc::DocEncoding(m_encoding)));
    ed->setReadOnly(m_readOnly);
    m_lineEnding = int(ed->send(Sci::SCI_GETEOLMODE));
    setModifiedFlag(false);
}

bool CRidereDoc::writeText(const QString &path, WriteKind kind, QString *error)
{
    Q_UNUSED(kind);
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    enc::TextFileWriter writer;
    if (!writer.open(path, enc::DocEncoding(m_encoding), error))
        return false;
    ed->send(Sci::SCI_SETEOLMODE, m_lineEnding);
    const long length = ed->send(Sci::SCI_GETLENGTH);
    long start = 0;
    while (start < length) {
        const long want = std::min<long>(length - start, long(kChunkBytes));
        // End just before a character boundary so no character is split between chunks.
        long end = ed->send(Sci::SCI_POSITIONBEFORE, start + want + 1);
        if (end <= start || start + want == length)
            end = start + want;
        const char *data =
            reinterpret_cast<const char *>(ed->send(Sci::SCI_GETRANGEPOINTER, start, end - start));
        if (!data || !writer.write(std::string_view(data, std::size_t(end - start)), error))
            return false;
        start = end;
    }
    return writer.commit(error);
}

bool CRidereDoc::doSave(const QString &requestedPath, bool replace)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    QString path = requestedPath;
    const bool saveAs = path.isEmpty();
    const QString oldSuffix = extensionOf(pathName());
    if (saveAs) {
        QString proposed = doc::plainTitle(pathName().isEmpty() ? title() : pathName());
        CFileDialogEx::SaveChoice choice;
        if (!CFileDialogEx::getSaveChoice(m_editorHost.window(), m_editorHost.settingsFile(), proposed, m_encoding, m_lineEnding, choice))
            return false;
        path = choice.path;
        m_encoding = choice.encoding;
        m_markLength = enc::namedMarkLength(enc::DocEncoding(m_encoding));
        m_lineEnding = choice.lineEnding;
    }

    QString error;
    if (!writeText(path, WriteKind::Save, &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, Str::FailedCreateFileOnSave);
        return false;
    }
    if (saveAs && replace) {
        setPathName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
        if (extensionOf(path).compare(oldSuffix, Qt::CaseInsensitive) != 0)
            chooseLanguageByExtension(extensionOf(path));
        ed->setCodePage(enc::editorCodePage(enc::DocEncoding(m_encoding)));
        m_readOnly = false;
        ed->setReadOnly(false);
    }
    ed->send(Sci::SCI_SETSAVEPOINT);
    if (m_editorHost.settings().resetUndoOnSave)
        ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    setModifiedFlag(false);
    return true;
}

bool CRidereDoc::writeCopy(const QString &path)
{
    QString error;
    if (!writeText(path, WriteKind::Copy, &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, Str::FailedCreateCompareTemp);
        return false;
    }
    return true;
}

void CRidereDoc::goToLineColumn(int line, int column)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return;
    const long position = ed->send(Sci::SCI_FINDCOLUMN, std::max(0, line - 1), std::max(0, column));
    ed->send(Sci::SCI_ENSUREVISIBLEENFORCEPOLICY, std::max(0, line - 1));
    ed->send(Sci::SCI_GOTOPOS, position);
    ed->setFocus(Qt::OtherFocusReason);
}

QString CRidereDoc::extensionOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

void CRidereDoc::chooseLanguageByExtension(const QString &extension)
{
    const LanguageChoice choice = pw::chooseLanguageByExtension(m_editorHost.languages(), extension);
    // Without a language of its own, the document keeps the function-list rules it had.
    setLanguage(choice.index, choice.lexerId.value_or(m_languageId));
    if (CRidereView *v = view())
        v->applyLanguage();
}

void CRidereDoc::setLanguage(int index, int lexerId)
{
    m_languageIndex = index;
    m_languageId = lexerId;
}

void CRidereDoc::setEncoding(int encoding)
{
    m_encoding = encoding;
    m_markLength = enc::namedMarkLength(enc::DocEncoding(encoding));
    if (CMFCScintilla *ed = editor())
        ed->setCodePage(enc::editorCodePage(enc::DocEncoding(encoding)));
}

void CRidereDoc::setLineEnding(int mode)
{
    m_lineEnding = mode;
    if (CMFCScintilla *ed = editor())
        ed->send(Sci::SCI_SETEOLMODE, mode);
}

void CRidereDoc::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (CMFCScintilla *ed = editor())
        ed->setReadOnly(readOnly);
    emit titleChanged();
}

} // namespace pw
