// CMFCScintilla: which modifications are reported, quiet runs of changes, and the accessible.
#include "editor/mfcscintilla.h"

#include "editor/recordedsteps.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QSet>

namespace pw {

namespace {

constexpr long AllModifications = 0xFFFF;
// Insertions and deletions also carry the "performed" and undo-step flags, so those bits stay
// off too: what is left never makes the component's Qt layer count characters.
constexpr long LargeDocumentModifications = Sci::SC_MOD_CHANGESTYLE | Sci::SC_MOD_CHANGEFOLD |
                                            Sci::SC_MOD_CHANGEMARKER | Sci::SC_MOD_CHANGEINDICATOR |
                                            Sci::SC_MOD_CHANGELINESTATE;

// Follows what the platform tells the activation observers, which is also how it changes
// QAccessible::isActive().
bool listenerActive = false;

QSet<CMFCScintilla *> &liveEditors()
{
    static QSet<CMFCScintilla *> editors;
    return editors;
}

// Name, role, geometry and focus like any widget, without the text interface whose position
// translation is what costs.
class PlainEditorAccessible : public QAccessibleWidget
{
public:
    explicit PlainEditorAccessible(QWidget *editor)
        : QAccessibleWidget(editor, QAccessible::EditableText)
    {}
};

// Asked before the component's own factory, because it matches the most derived class name;
// declining hands the editor to the component's accessible.
QAccessibleInterface *editorAccessible(const QString &, QObject *object)
{
    auto *editor = qobject_cast<CMFCScintilla *>(object);
    if (editor && editor->wantsPlainAccessible())
        return new PlainEditorAccessible(editor);
    return nullptr;
}

class ActivationObserver : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        listenerActive = active;
        for (CMFCScintilla *editor : std::as_const(liveEditors()))
            editor->refreshAccessible();
    }
};

void installAccessibleFactory()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    listenerActive = QAccessible::isActive();
    QAccessible::installFactory(editorAccessible);
    static ActivationObserver observer;
    QAccessible::installActivationObserver(&observer);
}

} // namespace

void CMFCScintilla::registerLiveEditor()
{
    installAccessibleFactory();
    liveEditors().insert(this);
}

CMFCScintilla::~CMFCScintilla()
{
    liveEditors().remove(this);
    // The recorded steps go before the component does, which may still report changes.
    disconnect(this, &QsciScintillaBase::SCN_MODIFIED, this, nullptr);
}

CMFCScintilla::QuietChanges::QuietChanges(CMFCScintilla *editor, Grouping grouping)
    : m_editor(editor), m_grouped(grouping == OneUndoStep)
{
    if (m_editor->m_quietDepth++ == 0)
        m_editor->send(SCI_SETMODEVENTMASK, 0);
    if (m_grouped)
        m_editor->send(SCI_BEGINUNDOACTION);
}

CMFCScintilla::QuietChanges::~QuietChanges()
{
    if (m_grouped)
        m_editor->send(SCI_ENDUNDOACTION);
    if (--m_editor->m_quietDepth == 0) {
        m_editor->updateModificationEvents();
        emit m_editor->quietChangesEnded();
    }
}

CMFCScintilla::UndoCollectionOff::UndoCollectionOff(CMFCScintilla *editor)
    : m_editor(editor), m_collecting(editor->send(SCI_GETUNDOCOLLECTION))
{
    m_editor->send(SCI_SETUNDOCOLLECTION, 0);
}

CMFCScintilla::UndoCollectionOff::~UndoCollectionOff()
{
    m_editor->send(SCI_SETUNDOCOLLECTION, m_collecting);
}

void CMFCScintilla::updateModificationEvents()
{
    if (m_quietDepth > 0)
        return; // the outermost quiet run sets the mask when it ends
    const bool large = send(SCI_GETLENGTH) >= QuietDocumentBytes;
    const long mask = large ? LargeDocumentModifications : AllModifications;
    if (send(SCI_GETMODEVENTMASK) != mask)
        send(SCI_SETMODEVENTMASK, mask);
    if (large != m_largeDocument) {
        m_largeDocument = large;
        refreshAccessible();
    }
}

bool CMFCScintilla::wantsPlainAccessible() const
{
    return m_largeDocument || !listenerActive;
}

void CMFCScintilla::refreshAccessible()
{
    // Asking creates the interface by the current rule when there is none yet, which is cheap.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(this);
    if (!iface)
        return;
    const bool plain = dynamic_cast<PlainEditorAccessible *>(iface) != nullptr;
    // A dropped interface is made again, by the rule, the next time anybody asks.
    if (plain != wantsPlainAccessible())
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

} // namespace pw
