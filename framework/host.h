// Host: what documents, views and panes below the application ask of it, handed in at creation.
#pragma once

#include "framework/openrequest.h"

#include <QString>
#include <QtGlobal>
#include <memory>

class QWidget;

namespace pw {

class CDocument;
class CMDIChildFrame;
class CommandRouter;
class ServiceRegistry;
struct FrameSettings;

// The status bar's panes, in the order they are shown.
enum class StatusPane { Message = 0, Position, Insert, Caps, Num, Scroll };

// A long run's report in the status bar; it ends when this object goes. A run that can be
// stopped polls stopRequested() between steps (Escape or the bar's Stop button set it).
class Progress
{
public:
    virtual ~Progress() = default;
    // done counts in the units of the total the run was started with.
    virtual void step(qint64 done) = 0;
    virtual bool stopRequested() const = 0;
};

class Host
{
public:
    virtual ~Host() = default;

    // The window messages and dialogs are shown over.
    virtual QWidget *window() const = 0;
    // The in-memory copy of the preferences, written back when the program closes.
    virtual FrameSettings &settings() const = 0;
    // The settings file, for the sections the in-memory copy does not hold.
    virtual QString settingsFile() const = 0;
    virtual void setStatusText(StatusPane pane, const QString &text) = 0;
    // Starts a report of a run of total units that holds the UI thread; stoppable runs show a
    // Stop control and keep the window painting between steps.
    virtual std::unique_ptr<Progress> startProgress(qint64 total, bool stoppable = false) = 0;
    // A report of work done elsewhere (a worker thread) while the window goes on as usual; it
    // always shows a Stop control.
    virtual std::unique_ptr<Progress> startBackgroundProgress(qint64 total) = 0;
    virtual void addRecentFile(const QString &path) = 0;
    // The routing of commands, for context menus and the keys of commands.
    virtual CommandRouter *router() const = 0;
    virtual CMDIChildFrame *activeFrame() const = 0;
    // The one open routine; null when nothing new was opened.
    virtual CDocument *openDocument(const QString &path, const OpenRequest &request) = 0;
    // The same with the automatic choice of encoding and window kind.
    virtual CDocument *openWithAutomaticChoice(const QString &path) = 0;
    // A new compare window of two files, first on the left; null, without a message, when either
    // path is empty or names no file, or the program has no compare window.
    virtual CDocument *openCompare(const QString &first, const QString &second) = 0;
    // The program is closing and remembers its open files for the next start.
    virtual bool closingWithReopen() const = 0;
    virtual bool isPaneShown(int paneId) const = 0;
    // The subsystems' objects the build wired in, by type.
    virtual ServiceRegistry &services() = 0;
};

} // namespace pw
