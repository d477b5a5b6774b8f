// SpellCommands: the spelling run around the dialog: selection kept, messages, modal loop.
#include "spell/spellcommands.h"

#include "editor/editorhost.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "spell/engine/aspellbinding.h"
#include "spell/spellcheckdialog.h"

namespace pw {

SpellCommands::SpellCommands(EditorHost &host, QObject *parent) : QObject(parent), m_host(host)
{
    // A missing library is no reason to stop the program: the command says so when used.
    spell::AspellLibrary::instance().load();
    onCommand(
        Cmd::SpellChecker, [this] { checkSpelling(); },
        [this](CommandUi &ui) {
            // A document still being read in is not all there to check.
            const CRidereDoc *document = activeTextDocument();
            ui.enabled = document && !document->isLoading();
        });
}

CRidereDoc *SpellCommands::activeTextDocument() const
{
    CMDIChildFrame *frame = m_host.activeFrame();
    return frame ? qobject_cast<CRidereDoc *>(frame->document()) : nullptr;
}

void SpellCommands::checkSpelling()
{
    CRidereDoc *document = activeTextDocument();
    CMFCScintilla *editor = document && !document->isLoading() ? document->editor() : nullptr;
    if (!editor)
        return;
    const qint64 anchor = editor->send(Sci::SCI_GETANCHOR);
    const qint64 caret = editor->send(Sci::SCI_GETCURRENTPOS);
    bool stopped = false;
    if (editor->send(Sci::SCI_GETLENGTH) > 0) {
        CSpellCheckDialog dialog(m_host, editor, m_host.window());
        const FrameSettings &s = m_host.settings();
        if (!dialog.initialize(s.dictionaryPath, s.dictionary) || !dialog.nextMisspelling(false)) {
            stopped = dialog.stopped();
            if (!stopped)
                showMessage(m_host.window(), MessageIcon::Exclamation, Str::SpellInitFailed);
        } else if (s_runHook) {
            dialog.show();
            s_runHook(dialog);
            if (dialog.isVisible())
                dialog.reject();
        } else {
            dialog.exec();
        }
        stopped = stopped || dialog.stopped();
        // The selection comes back over the same text, moved by the words changed before it.
        const qint64 restoredAnchor = dialog.mapPosition(anchor);
        const qint64 restoredCaret = dialog.mapPosition(caret);
        editor->send(Sci::SCI_SETSEL, restoredAnchor, restoredCaret);
        editor->send(Sci::SCI_SCROLLCARET);
    }
    if (!stopped)
        showMessage(m_host.window(), MessageIcon::Information, Str::SpellComplete);
}

} // namespace pw
