// FindReplaceController: the dialogs' lifetimes, the routing of their requests to the active
// text view, and the toolbar search box.
#include "search/findreplacecontroller.h"

#include "app/commandrouter.h"
#include "app/document.h"
#include "app/mainframe.h"
#include "app/messages.h"
#include "app/settings/settingkeys.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "search/finddialogs.h"
#include "search/toolbarfindcombobox.h"

#include <QAction>
#include <algorithm>
#include <limits>

namespace pw {

namespace {
const QString SearchHistory = QString::fromLatin1(settings::section::SearchHistory);
constexpr char ControllerName[] = "FindReplaceController";
constexpr int ToolbarBoxWidth = 175;
constexpr int ToolbarListItems = 8; // about 150 pixels of drop-down list

int searchFlags(bool matchCase, bool wholeWord, bool regExp)
{
    return (matchCase ? Sci::SCFIND_MATCHCASE : 0) | (wholeWord ? Sci::SCFIND_WHOLEWORD : 0) |
           (regExp ? Sci::SCFIND_REGEXP : 0);
}
} // namespace

FindReplaceController *FindReplaceController::of(CMainFrame *frame)
{
    if (!frame)
        return nullptr;
    if (auto *existing = frame->findChild<FindReplaceController *>(QLatin1String(ControllerName),
                                                                   Qt::FindDirectChildrenOnly))
        return existing;
    return new FindReplaceController(frame);
}

FindReplaceController::FindReplaceController(CMainFrame *frame) : QObject(frame), m_frame(frame)
{
    setObjectName(QLatin1String(ControllerName));
}

FindReplaceController::~FindReplaceController()
{
    destroyDialogs();
}

QString FindReplaceController::settingsFile() const
{
    return m_frame ? m_frame->settingsFile() : QString();
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
    return showOnly(m_find, m_replace, this, parentView, seed, m_frame);
}

CReplaceDialog *FindReplaceController::showReplaceDialog(CRidereView *parentView,
                                                         const QString &seed)
{
    return showOnly(m_replace, m_find, this, parentView, seed, m_frame);
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
    CMDIChildFrame *child = m_frame ? m_frame->activeFrame() : nullptr;
    return child ? qobject_cast<CRidereView *>(child->viewWidget()) : nullptr;
}

void FindReplaceController::findInActiveView(const QString &text, bool matchCase, bool wholeWord,
                                             bool regExp, bool up, bool wrap)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (!view)
        return;
    view->setSearchFlags(matchCase, wholeWord, regExp);
    if (view->findNext(view->editor()->toEditorBytes(text), up, wrap) == -1)
        showMessage(m_frame, MessageIcon::Information, Str::SearchTextNotFound);
    // The box picks up entries the dialogs added; what its field shows stays.
    if (CToolbarFindComboBox *b = box()) {
        const QString shown = b->currentText();
        b->loadHistory(SearchHistory);
        if (b->currentText() != shown)
            b->setEditText(shown);
    }
}

void FindReplaceController::markAllInActiveView(const QString &text, bool matchCase, bool wholeWord,
                                                bool regExp)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (!view)
        return;
    view->setSearchFlags(matchCase, wholeWord, regExp);
    if (view->markAll(view->editor()->toEditorBytes(text)) == 0)
        showMessage(m_frame, MessageIcon::Information, Str::SearchTextNotFound);
}

int FindReplaceController::replaceInActiveView(const QString &text, const QString &replacement,
                                               bool matchCase, bool wholeWord, bool regExp,
                                               bool inSelection, bool all, int lastResult)
{
    m_lastSearched = text;
    CRidereView *view = activeTextView();
    if (view != m_lastReplaceView) {
        lastResult = -1;
        m_lastReplaceView = view;
    }
    if (!view)
        return -1;
    view->setSearchFlags(matchCase, wholeWord, regExp);
    const QByteArray find = view->editor()->toEditorBytes(text);
    const QByteArray with = view->editor()->toEditorBytes(replacement);
    if (all) {
        const int count =
            view->replaceAll(find, with, searchFlags(matchCase, wholeWord, regExp), inSelection);
        if (count >= 0)
            showMessage(m_frame, MessageIcon::Information,
                        QString::asprintf(res::string(Str::OccurrencesReplaced), count));
        else if (count == -2)
            showMessage(m_frame, MessageIcon::Information, Str::ReplaceSelectionEmpty);
        else
            showMessage(m_frame, MessageIcon::Information, Str::ReplaceAllNotFound);
        return -1;
    }
    const long result = view->replaceNext(find, with, lastResult);
    if (result == -1)
        showMessage(m_frame, MessageIcon::Information, Str::SearchTextNotFound);
    return int(std::min<long>(result, std::numeric_limits<int>::max()));
}

void FindReplaceController::setupBox(CToolbarFindComboBox *b)
{
    b->setSettingsFile(settingsFile());
    b->loadHistory(SearchHistory);
    connect(b, &CToolbarFindComboBox::searchRequested, this,
            [this](const QString &text) { boxSearch(text); });
    auto keys = [this](int id) {
        return m_frame && m_frame->router() ? m_frame->router()->action(id)->shortcuts()
                                            : QList<QKeySequence>();
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
    if (m_frame)
        b->setFont(m_frame->font());
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
        auto *spare = new CToolbarFindComboBox(m_frame);
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
        findInActiveView(text, false, false, false, false, true);
        return;
    }
    if (m_hexFind && m_hexFind(text))
        return;
    showMessage(m_frame, MessageIcon::Exclamation, Str::FindNothingToDo);
}

QWidget *createToolbarFindBox(CMainFrame *frame, QWidget *parent)
{
    FindReplaceController *controller = FindReplaceController::of(frame);
    return controller ? controller->createToolbarBox(parent) : nullptr;
}

} // namespace pw
