// MacroCommands: "Record New Macro...", "Stop Recording" and "Macros" for the active text window.
#pragma once

#include "framework/commandtarget.h"
#include "macros/engine/macroreplay.h"

#include <QObject>
#include <QString>
#include <memory>
#include <unordered_map>

namespace pw {

class CMFCScintilla;
class CRidereView;
class EditorHost;
class MacroRecorder;

// Each text view has its own recorder and recording state, made when a macro command first
// reaches it and dropped with the view. A macro recorded in one view runs in any other.
class MacroCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    explicit MacroCommands(EditorHost &host, QObject *parent = nullptr);
    ~MacroCommands() override;

    // "macros.xml" in the per-user folder.
    static QString macrosFile();
    // Sends the steps to editor through its direct call, as one undo action.
    static ReplayReport play(CMFCScintilla *editor, const std::deque<MacroStep> &steps);

    bool isRecording(const CRidereView *view) const;
    // The view's recorder (made on first use).
    MacroRecorder &recorder(CRidereView *view);

    // Loads name into the view's recorder and plays it, with the messages a run shows.
    void runMacro(CRidereView *view, const QString &name);

private:
    struct ViewMacro;
    CRidereView *activeView() const;
    ViewMacro &macroOf(CRidereView *view);
    void recordNew();
    void stopRecording();
    void showMacros();

    EditorHost &m_host;
    std::unordered_map<const CRidereView *, std::unique_ptr<ViewMacro>> m_views;
};

} // namespace pw
