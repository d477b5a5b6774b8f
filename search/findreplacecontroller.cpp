// FindReplaceController: the search commands, the dialogs' lifetimes, the routing of their
// requests to the active text view, what the user is told, and the toolbar search box.
#include "search/findreplacecontroller.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "framework/commandrouter.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "search/engine/searchrules.h"
#include "search/finddialogs.h"
#include "search/gotodialog.h"
#include "search/toolbarfindcombobox.h"
#include "settings/settingkeys.h"
#include "settings/xmlsettingsstore.h"

#include <QAction>

namespace pw {

namespace {
const QString SearchHistory = QString::fromLatin1(settings::section::SearchHistory);
constexpr int ToolbarBoxWidth = 175;
constexpr int ToolbarListItems = 8; // about 150 pixels of drop-down list

// "^n" stands for the document's line end in search and replacement texts.
QByteArray editorBytes(const CRidereView *view, const QString &text)
{
    const CMFCScintilla *ed = view->editor();
    return search::expandLineEnds(ed->toEditorBytes(text), int(ed->send(Sci::SCI_GETEOLMODE)));
}
} // namespace

FindReplaceController::FindReplaceController(EditorHost &host, QObject *parent)
    : QObject(parent), m_host(host)
{
    setObjectName(QStringLiteral("FindReplaceController"));
    registerCommands();
}

FindReplaceController::~FindReplaceController()
{
    destroyDialogs();
}

void FindReplaceController::registerCommands()
{
    const auto whenText = [this](CommandUi &ui) { ui.enabled = activeTextView() != nullptr; };
    onCommand(
        Cmd::EditFind,
        [this] {
            if (CRidereView *view = activeTextView())
                showFindDialog(view, seedText(view, true));
        },
        whenText);
    onCommand(
        Cmd::EditReplace,
        [this] {
            if (CRidereView *view = activeTextView())
                showReplaceDialog(view, seedText(view, true));
        },
        whenText);
    onCommand(
        Cmd::FindNext, [this] { quickSearch(false); }, whenText);
    onCommand(
        Cmd::FindPrevious, [this] { quickSearch(true); }, whenText);
    onCommand(
        Cmd::GotoLine, [this] { gotoLine(); }, whenText);
}

namespace {
// Only one of the two dialogs is open at a time: showing one dismisses the other (gone at once
// for the user, deleted once the call that asked for this returns), and showing one already open
// brings it forward with the focus in its search box.
template <class Shown, class Other>
Shown *showOnly(QPointer<Shown> &shown, QPointer<Other> &other, FindReplaceController *controller,
                CRidereView *parentView, const QString &seed, QWidget *frame)
{
    if (other) {
        Other *old = other;
        other = nullptr;
        old->dismiss();
    }
    if (shown) {
        shown->raise();
        shown->activateWindow();
        shown->searchBox()->setFocus();
        return shown;
    }
    shown = new Shown(controller, parentView, seed, frame);
    shown->show();
    shown->raise();
    shown->activateWindow();
    return shown;
}
} // namespace

CFindDialog *FindReplaceController::showFindDialog(CRidereView *parentView, const QString &seed)
{
    return showOnly(m_find, m_replace, this, parentView, seed, m_host.window());
}

CReplaceDialog *FindReplaceController::showReplaceDialog(CRidereView *parentView,
                                                         const QString &seed)
{
    return showOnly(m_replace, m_find, this, parentView, seed, m_host.window());
}

CFindDialog *FindReplaceController::findDialog() const
{
    return m_find;
}

CReplaceDialog *FindReplaceController::replaceDialog() const
{
    return m_replace;
}

void FindReplaceController::destroyDialogs()
{
    delete m_find.data();
    delete m_replace.data();
}

CRidereView *FindReplaceController::activeTextView() const
{
    CMDIChildFrame *child = m_host.activeFrame();
    return child ? qobject_cast<CRidereView *>(child->viewWidget()) : nullptr;
}

void FindReplaceController::report(const SearchResult &result) const
{
    switch (result.outcome) {
    case SearchOutcome::Found:
        return;
    case SearchOutcome::NotFound:
        showMessage(m_host.window(), MessageIcon::Information, Str::SearchTextNotFound);
        return;
    case SearchOutcome::Stopped:
        // Stopped by the user needs no reason; a bound that was reached says which.
        showMessage(m_host.window(), MessageIcon::Exclamation,
                    resourceText(Str::SearchStopped)
                        .replace(QLatin1String("%s"), result.reason)
                        .trimmed());
        return;
    case SearchOutcome::InvalidPattern:
        showMessage(m_host.window(), MessageIcon::Exclamation,
                    resourceText(Str::SearchInvalidPattern)
                        .replace(QLatin1String("%s"), result.reason));
        return;
    }
}

void FindReplaceController::refreshBoxHistory()
{
    // The box picks up entries the dialogs added; what its field shows stays.
    if (CToolbarFindComboBox *b = box()) {
        const QString shown = b->currentText();
        b->loadHistory(SearchHistory);
        if (b->currentText() != shown)
            b->setEditText(shown);
    }
}

SearchResult FindReplaceController::find(const QString &text, const search::Options &options,
                                         bool up, bool wrap)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (!view)
        return {};
    const SearchResult result =
        EditorSearch(view->editor(), &m_host).findNext(editorBytes(view, text), options, up, wrap);
    report(result);
    refreshBoxHistory();
    return result;
}

SearchResult FindReplaceController::markAll(const QString &text, const search::Options &options)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (!view)
        return {};
    const SearchResult result =
        EditorSearch(view->editor(), &m_host).markAll(editorBytes(view, text), options);
    report(result);
    return result;
}

SearchResult FindReplaceController::replace(const QString &text, const QString &replacement,
                                            const search::Options &options, bool previousFound)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    // What the previous step found counts only on the view it was found in.
    if (view != m_lastReplaceView) {
        previousFound = false;
        m_lastReplaceView = view;
    }
    if (!view)
        return {};
    const SearchResult result =
        EditorSearch(view->editor(), &m_host)
            .replaceNext(editorBytes(view, text), editorBytes(view, replacement), options,
                         previousFound);
    report(result);
    return result;
}

SearchResult FindReplaceController::replaceAll(const QString &text, const QString &replacement,
                                               const search::Options &options, bool inSelection)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (!view)
        return {};
    if (inSelection && !view->editor()->hasSelection()) {
        showMessage(m_host.window(), MessageIcon::Information, Str::ReplaceSelectionEmpty);
        return {};
    }
    const SearchResult result =
        EditorSearch(view->editor(), &m_host)
            .replaceAll(editorBytes(view, text), editorBytes(view, replacement), options,
                        inSelection);
    if (result.found())
        showMessage(m_host.window(), MessageIcon::Information,
                    QString::asprintf(res::string(Str::OccurrencesReplaced), int(result.count)));
    else if (result.outcome == SearchOutcome::NotFound)
        showMessage(m_host.window(), MessageIcon::Information, Str::ReplaceAllNotFound);
    else
        report(result);
    return result;
}

QString FindReplaceController::seedText(CRidereView *view, bool seedMode) const
{
    CMFCScintilla *ed = view->editor();
    const QByteArray selection = ed->hasSelection() ? ed->getSelectedText() : QByteArray();
    XmlSettingsStore store(m_host.settingsFile());
    const bool utf8 = ed->send(Sci::SCI_GETCODEPAGE) == Sci::SC_CP_UTF8;
    QByteArray remembered;
    if (seedMode && selection.isEmpty())
        remembered = ed->toEditorBytes(store.getString(settings::findReplace::LastSelectedValue));
    const search::Seed seed = search::seedText(
        selection, seedMode ? search::SeedMode::Seed : search::SeedMode::Quick, remembered, utf8);
    if (seed.remember)
        store.writeString(settings::findReplace::LastSelectedValue, ed->fromEditorBytes(seed.text));
    return ed->fromEditorBytes(seed.text);
}

SearchResult FindReplaceController::quickSearch(bool up)
{
    CRidereView *view = activeTextView();
    if (!view)
        return {};
    QString text = seedText(view, false);
    if (text.isEmpty())
        text = findText();
    if (text.isEmpty())
        return {};
    // Quick search ignores whatever options the dialogs hold.
    const SearchResult result = EditorSearch(view->editor(), &m_host)
                                    .findNext(editorBytes(view, text), {}, up, !up);
    report(result);
    if (result.found())
        setFindText(text);
    return result;
}

void FindReplaceController::gotoLine()
{
    CRidereView *view = activeTextView();
    if (!view)
        return;
    CMFCScintilla *ed = view->editor();
    const long lines = ed->send(Sci::SCI_GETLINECOUNT);
    CGotoDialog dialog(lines, view);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ed->send(Sci::SCI_GOTOLINE, long(search::gotoLineIndex(dialog.lineNumber(), lines)));
}

void FindReplaceController::setupBox(CToolbarFindComboBox *b)
{
    b->setSettingsFile(m_host.settingsFile());
    b->loadHistory(SearchHistory);
    connect(b, &CToolbarFindComboBox::searchRequested, this,
            [this](const QString &text) { boxSearch(text); });
    auto keys = [this](int id) {
        CommandRouter *router = m_host.router();
        return router ? router->action(id)->shortcuts() : QList<QKeySequence>();
    };
    QPointer<CToolbarFindComboBox> guard(b);
    const auto searchAgain = [this, guard] {
        if (guard)
            boxSearch(guard->currentText());
    };
    b->setCommandKey(Cmd::FindNext, keys(Cmd::FindNext), searchAgain);
    b->setCommandKey(Cmd::FindDialogFindNext, keys(Cmd::FindDialogFindNext), searchAgain);
    b->setCommandKey(Cmd::EditReplace, keys(Cmd::EditReplace), [this, guard] {
        if (guard)
            showReplaceDialog(activeTextView(), guard->currentText());
    });
    b->setCommandKey(Cmd::EditFind, keys(Cmd::EditFind), [this, guard] {
        if (guard)
            showFindDialog(activeTextView(), guard->currentText());
    });
}

CToolbarFindComboBox *FindReplaceController::createToolbarBox(QWidget *parent)
{
    if (m_spareBox)
        delete m_spareBox.data(); // saves its list first, for the new box to read
    auto *b = new CToolbarFindComboBox(parent);
    b->setObjectName(QStringLiteral("ToolbarFindBox"));
    b->setFixedWidth(ToolbarBoxWidth);
    b->setMaxVisibleItems(ToolbarListItems);
    if (QWidget *window = m_host.window())
        b->setFont(window->font());
    setupBox(b);
    m_toolbarBox = b;
    return b;
}

CToolbarFindComboBox *FindReplaceController::toolbarBox() const
{
    return m_toolbarBox;
}

CToolbarFindComboBox *FindReplaceController::box() const
{
    if (m_toolbarBox)
        return m_toolbarBox;
    if (!m_spareBox) {
        // Made on first use, so reading the text makes the box it reads from.
        auto *self = const_cast<FindReplaceController *>(this);
        auto *spare = new CToolbarFindComboBox(m_host.window());
        spare->setObjectName(QStringLiteral("SpareFindBox"));
        spare->hide();
        self->setupBox(spare);
        self->m_spareBox = spare;
    }
    return m_spareBox;
}

QString FindReplaceController::findText() const
{
    CToolbarFindComboBox *b = box();
    return b ? b->currentText() : QString();
}

void FindReplaceController::setFindText(const QString &text)
{
    if (CToolbarFindComboBox *b = box())
        b->addToHistory(text, SearchHistory);
}

void FindReplaceController::boxSearch(const QString &text)
{
    if (activeTextView()) {
        find(text, {}, false, true);
        return;
    }
    if (m_hexFind && m_hexFind(text))
        return;
    showMessage(m_host.window(), MessageIcon::Exclamation, Str::FindNothingToDo);
}

} // namespace pw
