// SpellCommands: "Spell Checker" (380, F7) on the active text document or its selection.
#pragma once

#include "framework/commandtarget.h"

#include <QObject>
#include <functional>

namespace pw {

class CSpellCheckDialog;
class CRidereDoc;
class EditorHost;

class SpellCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    // Binds Aspell; without it the command stays and reports that it cannot spell.
    explicit SpellCommands(EditorHost &host, QObject *parent = nullptr);

    // Tests drive the dialog here instead of running it modally; it is shown when called.
    using RunHook = std::function<void(CSpellCheckDialog &)>;
    static void setRunHook(RunHook hook) { s_runHook = std::move(hook); }

private:
    static inline RunHook s_runHook;
    CRidereDoc *activeTextDocument() const;
    void checkSpelling();

    EditorHost &m_host;
};

} // namespace pw
