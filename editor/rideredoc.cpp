// CRidereDoc: its commands, title decoration, language, and the encoding and line-ending choices.
#include "editor/rideredoc.h"

#include "editor/doccore/doccore.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/textfile.h"
#include "editor/filedialogex.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "framework/messages.h"
#include "languages/engine/languagechoice.h"
#include "languages/engine/languagelist.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include "editor/encoding/codec.h"

#include <QDir>
#include <QFileInfo>

namespace pw {

CRidereDoc::CRidereDoc(EditorHost &host) : CDocument(host), m_editorHost(host)
{
    if (BackupService *service = host.backups())
        m_backups = service->createDocumentBackups();
    registerCommands();
}

CRidereDoc::~CRidereDoc() = default;

void CRidereDoc::registerCommands()
{
    // The Encoding menu, in the order of the choices Save As lists.
    struct EncodingCommand
    {
        int id;
        enc::DocEncoding encoding;
        bool mark;
    };
    static constexpr EncodingCommand kEncodings[] = {
        {Cmd::EncodingUtf8NoMark, enc::Utf8, false},
        {Cmd::EncodingUtf8, enc::Utf8, true},
        {Cmd::EncodingUnicode, enc::Unicode, true},
        {Cmd::EncodingUnicodeBigEndian, enc::UnicodeBigEndian, true},
        {Cmd::EncodingAnsi, enc::Ansi, false},
    };
    for (const EncodingCommand &command : kEncodings) {
        const int markLength = command.mark ? enc::namedMarkLength(command.encoding) : 0;
        onCommand(
            command.id, [this, command, markLength] { setEncoding(command.encoding, markLength); },
            [this, command, markLength](CommandUi &ui) {
                ui.checkable = true;
                ui.checked = enc::choiceIndex(enc::DocEncoding(m_encoding), m_markLength) ==
                             enc::choiceIndex(command.encoding, markLength);
            });
    }
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
    // Without backups in the program nobody answers the command, so it shows disabled.
    if (m_backups) {
        onCommand(
            Cmd::ViewBackupVersions, [this] { m_backups->viewVersions(); },
            [this](CommandUi &ui) { ui.enabled = m_backups->canViewVersions(); });
    }
    onCommand(
        Cmd::ReloadDocument, [this] { reload(); },
        [this](CommandUi &ui) { ui.enabled = !pathName().isEmpty() && !isLoading(); });
    // While the text is still coming there is nothing whole to save.
    const auto whenLoaded = [this](CommandUi &ui) { ui.enabled = !isLoading(); };
    onCommand(Cmd::FileSave, [this] { if (!isLoading()) doSave(pathName()); }, whenLoaded);
    onCommand(Cmd::FileSaveAs, [this] { if (!isLoading()) doSave(QString()); }, whenLoaded);
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
    // New documents are UTF-8 without a mark, with the line ending of this platform's files.
    m_encoding = enc::Utf8;
    m_markLength = 0;
    m_lineEnding = Sci::SC_EOL_LF;
    ed->send(Sci::SCI_SETEOLMODE, m_lineEnding);
    setModifiedFlag(false);
    if (RecoveryService *recovery = m_editorHost.recovery())
        recovery->watch(this);
    return CDocument::onNewDocument();
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

long CRidereDoc::cutBreakLength() const
{
    return m_lineEnding == Sci::SC_EOL_CRLF ? 2 : 1;
}

long CRidereDoc::cutBreakPosition(std::size_t i) const
{
    return long(m_cutOffsets[i]) + long(i) * cutBreakLength();
}

void CRidereDoc::goToFileLine(int line, qint64 column)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return;
    long docLine = std::max(0, line - 1);
    column = std::max<qint64>(column, 0);
    if (hasCutLines()) {
        // The piece after break i starts a line of the text, which is i + 1 lines further on
        // than the file's.
        const long breakLength = cutBreakLength();
        const auto fileLineOf = [&](std::size_t i) {
            return ed->send(Sci::SCI_LINEFROMPOSITION, cutBreakPosition(i) + breakLength) -
                   long(i) - 1;
        };
        // Breaks of earlier lines, then those of this line whose piece starts by the column.
        std::size_t first = 0;
        std::size_t last = m_cutOffsets.size();
        while (first < last) {
            const std::size_t mid = (first + last) / 2;
            if (fileLineOf(mid) < docLine)
                first = mid + 1;
            else
                last = mid;
        }
        const long lineStart = ed->send(Sci::SCI_POSITIONFROMLINE, docLine + long(first)) -
                               long(first) * breakLength;
        std::size_t piece = first;
        while (piece < m_cutOffsets.size() && fileLineOf(piece) == docLine &&
               qint64(m_cutOffsets[piece]) - lineStart <= column)
            ++piece;
        if (piece > first)
            column -= qint64(m_cutOffsets[piece - 1]) - lineStart;
        docLine += long(piece);
    }
    docLine = std::min(docLine, ed->send(Sci::SCI_GETLINECOUNT) - 1);
    const long start = ed->send(Sci::SCI_POSITIONFROMLINE, docLine);
    const long end = ed->send(Sci::SCI_GETLINEENDPOSITION, docLine);
    ed->send(Sci::SCI_ENSUREVISIBLEENFORCEPOLICY, docLine);
    ed->send(Sci::SCI_GOTOPOS, long(std::min<qint64>(start + column, end)));
    ed->send(Sci::SCI_SCROLLCARET);
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

void CRidereDoc::chooseLanguageForFile(const QString &path, const QString &firstLine)
{
    const LanguageChoice choice = pw::chooseLanguage(m_editorHost.languages(), path, firstLine);
    setLanguage(choice.index, choice.lexerId.value_or(m_languageId));
    if (CRidereView *v = view())
        v->applyLanguage();
}

void CRidereDoc::setLanguage(int index, int lexerId)
{
    m_languageIndex = index;
    m_languageId = lexerId;
}

void CRidereDoc::setEncoding(int encoding, int markLength)
{
    // A load decides the encoding itself, and a copy still reads the text where it lies.
    if (isLoading())
        return;
    const auto from = enc::DocEncoding(m_encoding);
    const auto to = enc::DocEncoding(encoding);
    m_encoding = encoding;
    m_markLength = markLength;
    // A text with cut lines is never edited, and it can be read again as it is: the file in the
    // new encoding, rather than an unsavable change.
    if (hasCutLines()) {
        reloadInPlace();
        return;
    }
    CMFCScintilla *ed = editor();
    if (!ed || !enc::reinterpretationChangesText(from, to))
        return;
    const long length = ed->send(Sci::SCI_GETLENGTH);
    const auto *text = reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER));
    const enc::Reinterpretation result =
        enc::reinterpret(std::string_view(text ? text : "", std::size_t(length)), from, to);
    // One undo step takes the reading back; the caret stays on its line.
    const long line = ed->send(Sci::SCI_LINEFROMPOSITION, ed->send(Sci::SCI_GETCURRENTPOS));
    const bool readOnly = ed->isReadOnly();
    ed->setReadOnly(false);
    {
        CMFCScintilla::QuietChanges quiet(ed);
        ed->send(Sci::SCI_SETTARGETRANGE, 0, length);
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(result.text.size()),
                     result.text.data());
    }
    ed->setReadOnly(readOnly);
    ed->gotoLineEnsureVisible(std::min(line, ed->send(Sci::SCI_GETLINECOUNT) - 1), true);
}

void CRidereDoc::setLineEnding(int mode)
{
    m_lineEnding = mode;
    if (CMFCScintilla *ed = editor())
        ed->send(Sci::SCI_SETEOLMODE, mode);
}

void CRidereDoc::setReadOnly(bool readOnly)
{
    // Edits to a text with cut lines could never be saved.
    if (hasCutLines() && !readOnly) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation,
                    resourceText(Str::LinesCutCannotSave).arg(QDir::toNativeSeparators(pathName())));
        return;
    }
    m_readOnly = readOnly;
    // While a text loads the editor stays read-only; the load's end applies the choice.
    if (CMFCScintilla *ed = editor(); ed && !isLoading())
        ed->setReadOnly(readOnly);
    emit titleChanged();
}

} // namespace pw
