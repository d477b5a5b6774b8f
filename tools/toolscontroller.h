// ToolsController: the user's external tools in the program: the list, the Tools menu, RunTool,
// Stop.
#pragma once

#include "framework/commandtarget.h"
#include "tools/engine/externaltool.h"
#include "tools/processoutputview.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace pw {

class CommandBars;
class EditorHost;
class EditorOutputSink;
struct ToolLaunch;

// Owns the tool list for the program's run: loaded from the "ExternalTools" section when made
// (the two default tools when the section is absent), written back by saveTools(). Expands the
// Tools menu after its placeholder (1227) each time the menu opens, runs a tool on the active
// document (RunTool) into the Tool Window, a new document or on its own, and handles
// "&Stop User Tool" (651), enabled exactly while one of its captures runs.
class ToolsController : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    // The first image id a tool's icon gets; further tools with icons take the next ones.
    static constexpr int FirstIconId = 8000;

    // pane is the Tool Window's view; showPane brings that pane to the front.
    ToolsController(EditorHost &host, CommandBars *bars, CProcessOutputView *pane,
                    std::function<void()> showPane, QObject *parent = nullptr);
    ~ToolsController() override;

    const ToolList &tools() const { return m_tools; }
    // Replaces the list (the customise page hands its copies back) and makes the icons anew.
    void setTools(const ToolList &tools);
    // Writes the list to the settings file; false when it cannot.
    bool saveTools() const;
    // The icon of an image id given to a tool; null for 0 or an unknown id.
    QIcon toolIcon(int iconId) const { return m_icons.value(iconId); }

    // Runs the tool on the active document, as its Tools menu entry does.
    void runTool(const ExternalTool &tool);
    // Stops the captures "&Stop User Tool" stops; true when one was running.
    bool stopUserTool();
    // Whether any capture of a tool runs (the Tool Window's or a document's).
    bool toolRunning() const;

    CProcessOutputView *outputView() const { return m_pane; }
    // The process ids of the running captures, the Tool Window's first.
    QList<qint64> runningProcessIds() const;

private:
    void refreshToolIcons();
    void fillToolsMenu(QMenu *menu, QAction *marker);
    QWidget *createToolbarButton(QWidget *parent);
    void runIntoDocument(const ToolLaunch &launch);
    EditorOutputSink *sinkFor(CMFCScintilla *editor);
    void captureFinished();

    EditorHost &m_host;
    CommandBars *m_bars;
    // The pane's view is the frame's: it may go first when the frame is destroyed.
    QPointer<CProcessOutputView> m_pane;
    std::function<void()> m_showPane;
    ToolList m_tools;
    QHash<int, QIcon> m_icons;
    std::vector<std::unique_ptr<EditorOutputSink>> m_documentSinks;
};

} // namespace pw
