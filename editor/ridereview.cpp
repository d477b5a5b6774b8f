// CRidereView: creation, settings, notifications and the editing commands of a text window.
#include "editor/ridereview.h"
#include "editor/encoding/nativepath.h"

#include "editor/editorhost.h"
#include "editor/editorsearch.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "editor/viewasdialog.h"
#include "framework/commandrouter.h"
#include "framework/messages.h"
#include "languages/engine/languagelist.h"
#include "languages/engine/languagerecord.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "editor/doccore/navigationhistory.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>
#include <QVBoxLayout>

namespace pw {

namespace {
constexpr int kMenuEditorContext = 141;
} // namespace

CRidereView::CRidereView(EditorHost &host, CRidereDoc *document, QWidget *parent)
    : QWidget(parent), m_host(host), m_document(document), m_editor(new CMFCScintilla(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);
    setFocusProxy(m_editor);
    m_editor->installEventFilter(this);

    m_editor->setupDefaults();
    applySettings();
    registerLanguageCommands();
    registerFormatCommands();

    connect(m_editor, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this,
            [this] { m_document->savePointReached(); });
    connect(m_editor, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this,
            [this] { m_document->setModifiedFlag(true); });
    connect(m_editor, &QsciScintillaBase::SCN_UPDATEUI, this, &CRidereView::onUpdateUi);
    connect(m_editor, &QsciScintillaBase::SCN_MODIFIED, this, &CRidereView::onModified);
    // A quiet run of changes reports nothing on the way; the margin catches up when it ends.
    connect(m_editor, &CMFCScintilla::quietChangesEnded, this, &CRidereView::followLineCount);
    connect(m_editor, &QsciScintillaBase::SCN_MARGINCLICK, this, &CRidereView::onMarginClick);
    connect(m_editor, &QsciScintillaBase::SCN_CHARADDED, this,
            [this](int ch) { m_editor->autoIndent(ch, currentLanguage().autoNest); });
    connect(m_editor, qOverload<const char *, int>(&QsciScintillaBase::SCN_USERLISTSELECTION), this,
            [this](const char *text, int) {
                // The entry replaces the selection, whichever way it was made.
                const long start = m_editor->send(Sci::SCI_GETSELECTIONSTART);
                m_editor->insertTemplate(QByteArray(text));
                m_editor->send(Sci::SCI_SETEMPTYSELECTION, start + long(qstrlen(text)));
            });
    connect(m_editor, &CMFCScintilla::contextMenuRequested, this, &CRidereView::showContextMenu);
    connect(m_editor, &QsciScintillaBase::SCN_PAINTED, this,
            [this] { m_document->requestFunctionList(FunctionListService::Reason::Painted); });
    // Every caret move is a place Navigate Backward can return to.
    connect(m_editor, &CMFCScintilla::caretMoved, this, [this](long position) {
        m_host.navigation().add(this, position);
        if (FunctionListService *list = m_host.functionList();
            list && !m_document->pathName().isEmpty())
            list->caretMoved(m_editor, int(m_editor->send(Sci::SCI_LINEFROMPOSITION, position)));
    });
    // Files dropped on the text open like files dropped on the main window.
    connect(m_editor, &QsciScintillaBase::SCN_URIDROPPED, this, [this](const QUrl &url) {
        if (url.isLocalFile())
            m_host.openWithAutomaticChoice(enc::pathFromLocalUrl(url));
    });
    registerCommands();
}

CRidereView::~CRidereView() = default;

void CRidereView::applySettings()
{
    const FrameSettings *s = &m_host.settings();
    applyWordWrap(s->wordWrap);
    applyLineEndings(s->lineEndings);
    applyWhitespace(s->whitespace == 1);
    applyCaretLine(s->caretLine);
    applyLineNumbers(s->lineNumbers);
    applyFolding(s->codeFolding);
    applyBlockSelect(s->blockSelect);
    applyRuler(s->rulers);
    applyLongLine();
    m_editor->setFont(s->fontStyle, s->fontSize, s->fontBold, s->fontItalic, s->charset);
    // Every text is UTF-8 in the editor, whatever the file's encoding.
    m_editor->setCodePage(Sci::SC_CP_UTF8);
    applyTabs();
    m_editor->send(Sci::SCI_STYLESETFORE, Sci::STYLE_BRACELIGHT, long(s->braceHighlight));
    m_editor->send(Sci::SCI_STYLESETFORE, Sci::STYLE_BRACEBAD, long(s->braceBadColour));
}

void CRidereView::applyTabs()
{
    const FrameSettings &s = m_host.settings();
    m_editor->send(Sci::SCI_SETTABWIDTH, s.tabWidth);
    m_editor->send(Sci::SCI_SETINDENT, s.tabWidth);
    m_editor->send(Sci::SCI_SETUSETABS, s.tabAsSpaces ? 0 : 1);
    m_editor->send(Sci::SCI_SETINDENTATIONGUIDES, s.tabGuides ? Sci::SC_IV_LOOKBOTH : Sci::SC_IV_NONE);
}

void CRidereView::applyWordWrap(bool on)
{
    m_editor->setWordWrap(on);
}
void CRidereView::applyWhitespace(bool on)
{
    m_editor->showWhitespace(on);
}
void CRidereView::applyLineEndings(bool on)
{
    m_editor->showLineEndings(on);
}

void CRidereView::applyCaretLine(bool on)
{
    const FrameSettings &s = m_host.settings();
    m_editor->setCaretLine(on, s.caretLineColour, s.caretLineTransparency);
}

void CRidereView::applyLineNumbers(bool on)
{
    m_editor->showLineNumbers(on);
}

void CRidereView::applyFolding(bool on)
{
    // Without the fold margin nothing folded could be opened again: every block still folded
    // opens, found by its state (lines move and searches open blocks).
    if (!on) {
        for (long line = m_editor->send(Sci::SCI_CONTRACTEDFOLDNEXT, 0); line >= 0;
             line = m_editor->send(Sci::SCI_CONTRACTEDFOLDNEXT, line + 1)) {
            m_editor->send(Sci::SCI_SETFOLDEXPANDED, line, 1);
            expandFold(line);
        }
    }
    m_editor->setFolding(on);
    // The lexer reads the fold properties only when the language is applied.
    if (on)
        applyLanguage();
}

void CRidereView::applyBlockSelect(bool on)
{
    m_editor->setBlockSelect(on);
}
void CRidereView::applyRuler(bool on)
{
    m_editor->showRuler(on);
}

void CRidereView::applyLongLine()
{
    const FrameSettings &s = m_host.settings();
    m_editor->setLongLineMarker(s.longLine, s.longLinePos);
}

int CRidereView::languageIndex() const
{
    return m_viewAsIndex.value_or(m_document->languageIndex());
}

LanguageRecord CRidereView::currentLanguage() const
{
    return m_host.languages().get(languageIndex());
}

void CRidereView::applyLanguage()
{
    m_editor->applyLanguage(m_plainLargeText ? LanguageRecord::fallback() : currentLanguage(),
                            m_host.settings());
}

void CRidereView::textReplaced(bool plain)
{
    m_plainLargeText = plain && !m_viewAsIndex;
    if (m_plainLargeText) {
        m_editor->setWordWrap(false);
        m_editor->setFolding(false);
    }
    applyLanguage();
}

bool CRidereView::eventFilter(QObject *watched, QEvent *event)
{
    // Escape stops a load still running into this window.
    if (watched == m_editor && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && m_document->isLoading()) {
        m_document->cancelLoad();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CRidereView::setLanguage(int index)
{
    const LanguageList &languages = m_host.languages();
    // A text without style bytes is made again with them first.
    if (index > languages.count() || !m_document->makeColourable())
        return;
    m_viewAsIndex.reset();
    m_plainLargeText = false; // the user asked for colouring
    m_document->setLanguage(index, languages.get(index).lexerId);
    // A text being made again with style bytes is coloured when it arrives.
    if (!m_document->isLoading())
        applyLanguage();
}

void CRidereView::setViewAsHook(ViewAsHook hook)
{
    s_viewAsHook = std::move(hook);
}

void CRidereView::showViewAsDialog()
{
    const LanguageList &languages = m_host.languages();
    QStringList labels;
    for (int i = 0; i < languages.count(); ++i)
        labels << languages.get(i).menuLabel;
    int index = languageIndex();
    bool accepted = false;
    if (s_viewAsHook) {
        accepted = s_viewAsHook(labels, index);
    } else {
        CViewAsManagerDialog dialog(labels, index, this);
        accepted = dialog.exec() == QDialog::Accepted;
        index = dialog.selectedIndex();
    }
    if (!accepted || !m_document->makeColourable())
        return;
    // Only the colouring changes; the document keeps its language for the function list.
    m_viewAsIndex = index;
    m_plainLargeText = false;
    if (!m_document->isLoading())
        applyLanguage();
}

void CRidereView::registerLanguageCommands()
{
    onCommandRange(
        Cmd::ColorDocumentAs, Cmd::ColorDocumentAsLast,
        [this](int id) { setLanguage(id - Cmd::ColorDocumentAs); },
        [this](int id, CommandUi &ui) {
            if (m_host.languages().count() == 0) {
                ui.text = resourceText(Str::ColoringNotAvailable);
                ui.enabled = false;
                return;
            }
            ui.checkable = true;
            ui.checked = id - Cmd::ColorDocumentAs == languageIndex();
        });
    onCommand(Cmd::ColorDocumentAsMore, [this] { showViewAsDialog(); });
    onCommand(
        Cmd::AutoComplete,
        [this] {
            FunctionListService *list = m_host.functionList();
            QStringList names = list ? list->names(m_editor) : QStringList();
            names.removeAll(QString());
            if (!names.isEmpty())
                m_editor->showWordList(m_editor->toEditorBytes(names.join(QLatin1Char(' '))));
        },
        [this](CommandUi &ui) {
            FunctionListService *list = m_host.functionList();
            ui.enabled = list && !list->names(m_editor).isEmpty();
        });
    onCommand(Cmd::CommentLines, [this] {
        m_editor->commentLines(true, m_editor->toEditorBytes(currentLanguage().lineComment));
    });
    onCommand(Cmd::UnCommentLines, [this] {
        m_editor->commentLines(false, m_editor->toEditorBytes(currentLanguage().lineComment));
    });
}

void CRidereView::replaceKeepingLine(const QByteArray &find, const QByteArray &replacement,
                                     bool regExp)
{
    if (m_editor->isReadOnly())
        return;
    const long line =
        m_editor->send(Sci::SCI_LINEFROMPOSITION, m_editor->send(Sci::SCI_GETCURRENTPOS));
    search::Options options;
    options.regExp = regExp;
    EditorSearch(m_editor, &m_host).replaceAll(find, replacement, options, false);
    m_editor->gotoLineEnsureVisible(line, true);
}

// A step may hold a million changes (a Replace All), so it runs unreported and the view catches
// up after.
void CRidereView::undoRedo(bool undo)
{
    // A step that takes lines out and puts them back (a Replace All joins hits across lines)
    // would gather their bookmarks on its first line; when the line count is the same
    // afterwards, every line gets its own back.
    const long lines = m_editor->send(Sci::SCI_GETLINECOUNT);
    const std::vector<std::pair<long, int>> markers = m_editor->lineMarkers();
    {
        CMFCScintilla::QuietChanges quiet(m_editor, CMFCScintilla::QuietChanges::SeparateSteps);
        if (undo)
            m_editor->undo();
        else
            m_editor->redo();
    }
    if (m_editor->send(Sci::SCI_GETLINECOUNT) == lines)
        m_editor->restoreLineMarkers(markers);
}

void CRidereView::registerFormatCommands()
{
    const auto spaces = [this] { return QByteArray(std::max(1, m_host.settings().tabWidth), ' '); };
    onCommand(Cmd::TabsToSpaces, [this, spaces] { replaceKeepingLine("\t", spaces(), false); });
    onCommand(Cmd::SpacesToTabs, [this, spaces] { replaceKeepingLine(spaces(), "\t", false); });
    // The bracket holds a space and a real tab character.
    onCommand(Cmd::TrimTrailingSpaces,
              [this] { replaceKeepingLine("[ \t]+$", QByteArray(), true); });
}

void CRidereView::applyMatchBracket(bool on)
{
    if (on)
        m_editor->highlightBraces();
    else
        m_editor->send(Sci::SCI_BRACEHIGHLIGHT, -1, -1);
}

void CRidereView::applyFont()
{
    const FrameSettings *s = &m_host.settings();
    m_editor->setFont(s->fontStyle, s->fontSize, s->fontBold, s->fontItalic, s->charset);
    // The font resets every style: the language at the document's own index comes back.
    m_viewAsIndex.reset();
    applyLanguage();
    if (s->lineNumbers)
        m_editor->showLineNumbers(true);
}

void CRidereView::gotoPosition(long position)
{
    m_editor->send(Sci::SCI_GOTOPOS, position);
    m_editor->send(Sci::SCI_SCROLLCARET);
}

QString CRidereView::positionText() const
{
    const long caret = m_editor->send(Sci::SCI_GETCURRENTPOS);
    const long line = m_editor->send(Sci::SCI_LINEFROMPOSITION, caret);
    const long column = m_editor->send(Sci::SCI_GETCOLUMN, caret);
    return QString::asprintf("Ln %2ld Col %2ld", line + 1, column);
}

void CRidereView::onUpdateUi(int updated)
{
    // Large texts do not report insertions and deletions; the content flag says lines may have
    // come or gone.
    if (updated & Sci::SC_UPDATE_CONTENT)
        followLineCount();
    const QString text = positionText();
    if (m_host.activeFrame() == m_document->frame())
        m_host.setStatusText(StatusPane::Position, text);
    emit positionChanged(text);
    m_hasSelection = m_editor->hasSelection();
    const FrameSettings *s = &m_host.settings();
    if (s->matchBracket)
        m_editor->highlightBraces();
}

void CRidereView::onModified(int, int type, const char *, int, int linesAdded, int line,
                             int foldNow, int foldPrev, int, int)
{
    const FrameSettings *s = &m_host.settings();
    if ((type & Sci::SC_MOD_CHANGEFOLD) && s->codeFolding)
        foldChanged(line, foldNow, foldPrev);
    if (linesAdded != 0)
        followLineCount();
}

// The line-number margin grows (and shrinks) with the number of digits the last line needs.
void CRidereView::followLineCount()
{
    const long lines = m_editor->send(Sci::SCI_GETLINECOUNT);
    if (lines == m_lineCount)
        return;
    m_lineCount = lines;
    if (m_host.settings().lineNumbers)
        m_editor->showLineNumbers(true);
}

// A fold header that appears or disappears must never leave text hidden that the user cannot
// unfold any more.
void CRidereView::foldChanged(long line, int levelNow, int levelPrev)
{
    const int header = Sci::SC_FOLDLEVELHEADERFLAG;
    const int white = Sci::SC_FOLDLEVELWHITEFLAG;
    const int number = Sci::SC_FOLDLEVELNUMBERMASK;
    if ((levelNow & header) && !(levelPrev & header)) {
        m_editor->send(Sci::SCI_SETFOLDEXPANDED, line, 1);
        expandFold(line);
    } else if (!(levelNow & header) && (levelPrev & header)) {
        if (!m_editor->send(Sci::SCI_GETFOLDEXPANDED, line)) {
            m_editor->send(Sci::SCI_SETFOLDEXPANDED, line, 1);
            expandFold(line);
        }
    } else if (!(levelNow & white) && (levelNow & number) < (levelPrev & number)) {
        const long parent = m_editor->send(Sci::SCI_GETFOLDPARENT, line);
        if (parent < 0 || (m_editor->send(Sci::SCI_GETFOLDEXPANDED, parent) &&
                           m_editor->send(Sci::SCI_GETLINEVISIBLE, parent)))
            m_editor->send(Sci::SCI_SHOWLINES, line, line);
    }
}

void CRidereView::expandFold(long header)
{
    const long level = m_editor->send(Sci::SCI_GETFOLDLEVEL, header) & Sci::SC_FOLDLEVELNUMBERMASK;
    const long last = m_editor->send(Sci::SCI_GETLASTCHILD, header, level);
    for (long line = header + 1; line <= last; ++line) {
        m_editor->send(Sci::SCI_SHOWLINES, line, line);
        if (m_editor->send(Sci::SCI_GETFOLDLEVEL, line) & Sci::SC_FOLDLEVELHEADERFLAG)
            m_editor->send(Sci::SCI_SETFOLDEXPANDED, line, 1);
    }
}

void CRidereView::onMarginClick(int position, int, int margin)
{
    const long line = m_editor->send(Sci::SCI_LINEFROMPOSITION, position);
    if (margin == CMFCScintilla::BookmarkMargin) {
        m_editor->toggleBookmark(line);
    } else if (margin == CMFCScintilla::SelectMargin) {
        m_editor->selectLine(line);
    } else if (margin == CMFCScintilla::FoldMargin) {
        if (m_host.settings().codeFolding &&
            (m_editor->send(Sci::SCI_GETFOLDLEVEL, line) & Sci::SC_FOLDLEVELHEADERFLAG)) {
            m_editor->send(Sci::SCI_TOGGLEFOLD, line);
        }
    }
}

void CRidereView::showContextMenu(const QPoint &globalPos)
{
    CommandRouter *router = m_host.router();
    if (!router)
        return;
    QMenu *menu = router->buildPopupMenu(kMenuEditorContext, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CRidereView::insertFileName()
{
    m_editor->insertTemplate(m_editor->toEditorBytes(m_document->decoratedTitle()));
}

void CRidereView::registerCommands()
{
    CMFCScintilla *ed = m_editor;
    const auto always = CommandTarget::UpdateHandler();
    const auto whenSelection = [this](CommandUi &ui) { ui.enabled = m_editor->hasSelection(); };
    onCommand(
        Cmd::EditUndo, [this] { undoRedo(true); },
        [ed](CommandUi &ui) { ui.enabled = ed->canUndo(); });
    onCommand(
        Cmd::EditRedo, [this] { undoRedo(false); },
        [ed](CommandUi &ui) { ui.enabled = ed->canRedo(); });
    onCommand(
        Cmd::EditCut, [ed] { ed->cut(); }, whenSelection);
    onCommand(
        Cmd::EditCopy, [ed] { ed->copy(); }, whenSelection);
    onCommand(
        Cmd::EditPaste, [ed] { ed->paste(); },
        [ed](CommandUi &ui) { ui.enabled = ed->canPaste(); });
    onCommand(
        Cmd::EditSelectAll, [ed] { ed->selectAll(); }, always);
    onCommand(
        Cmd::EditCutLine, [ed] { ed->cutLine(); }, always);
    onCommand(
        Cmd::EditCopyLine, [ed] { ed->copyLine(); }, always);
    onCommand(
        Cmd::EditCutAppend, [ed] { ed->cutAppend(); }, whenSelection);
    onCommand(
        Cmd::EditCopyAppend, [ed] { ed->copyAppend(); }, whenSelection);
    onCommand(
        Cmd::EditDeleteWord, [ed] { ed->deleteWord(); }, always);
    onCommand(
        Cmd::EditDeleteLine, [ed] { ed->deleteLine(); }, always);
    onCommand(
        Cmd::EditDeleteToLineEnd, [ed] { ed->deleteToLineEnd(); }, always);
    onCommand(
        Cmd::InsertDate, [ed] { ed->insertDate(); }, always);
    onCommand(
        Cmd::InsertTime, [ed] { ed->insertTime(); }, always);
    onCommand(
        Cmd::InsertFileName, [this] { insertFileName(); }, always);
    onCommand(
        Cmd::EditSelectWord, [ed] { ed->selectWord(ed->send(Sci::SCI_GETCURRENTPOS)); }, always);
    onCommand(
        Cmd::EditSelectLine,
        [ed] {
            ed->selectLine(ed->send(Sci::SCI_LINEFROMPOSITION, ed->send(Sci::SCI_GETCURRENTPOS)));
        },
        always);
    onCommand(
        Cmd::SetReadOnly, [this] { m_document->setReadOnly(!m_editor->isReadOnly()); },
        [this, ed](CommandUi &ui) {
            ui.checkable = true;
            ui.checked = ed->isReadOnly();
            // Cut lines keep the text read-only until it is read again whole.
            ui.enabled = !m_document->hasCutLines();
        });
    onCommand(
        Cmd::ToggleBookmark, [ed] { ed->toggleBookmark(-1); }, always);
    onCommand(
        Cmd::NextBookmark, [ed] { ed->gotoBookmark(true, false); }, always);
    onCommand(
        Cmd::PreviousBookmark, [ed] { ed->gotoBookmark(false, false); }, always);
    onCommand(
        Cmd::ClearBookmarks, [ed] { ed->clearBookmarks(); }, always);
    onCommand(
        Cmd::UpperCase, [ed] { ed->upperCase(); }, always);
    onCommand(
        Cmd::LowerCase, [ed] { ed->lowerCase(); }, always);
    onCommand(
        Cmd::SwapLines, [ed] { ed->swapLines(); }, always);
    onCommand(
        Cmd::IndentRight, [ed] { ed->indentRight(); }, always);
    onCommand(
        Cmd::IndentLeft, [ed] { ed->indentLeft(); }, always);
    const auto whenPath = [this](CommandUi &ui) { ui.enabled = !m_document->pathName().isEmpty(); };
    onCommand(
        Cmd::CopyFilePath, [this] { QApplication::clipboard()->setText(m_document->pathName()); },
        whenPath);
    onCommand(
        Cmd::OpenContainingFolder,
        [this] {
            QDesktopServices::openUrl(
                QUrl::fromLocalFile(QFileInfo(m_document->pathName()).absolutePath()));
        },
        whenPath);
}

} // namespace pw
