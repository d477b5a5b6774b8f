// A running Penwright for benchmarks: settings in a throw-away folder, every message answered No.
#pragma once

#include "settings/appfolders.h"
#include "framework/document.h"
#include "app/mainframe.h"
#include "app/workspace.h"
#include "framework/messages.h"
#include "app/penwrightapp.h"
#include "editor/rideredoc.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace pw::bench {

struct BenchApp
{
    QTemporaryDir dir;
    std::unique_ptr<PenwrightApp> app;
    QStringList messages;

    BenchApp()
    {
        AppFolders::setInputs({dir.filePath(QStringLiteral("penwright")),
                               QStringLiteral("/nonexistent-install-prefix"),
                               dir.filePath(QStringLiteral("data")),
                               dir.filePath(QStringLiteral("docs"))});
        setMessageHook([this](MessageIcon, const QString &text, QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::No;
        });
        app = std::make_unique<PenwrightApp>();
        app->initInstance({QStringLiteral("penwright")});
        app->mainFrame()->show();
    }
    ~BenchApp()
    {
        closeAll();
        app.reset();
        setMessageHook({});
    }
    // The window of the running program, for benchmarks that drive its commands and bars.
    CMainFrame *frame() const { return app->mainFrame(); }

    // Opens a file as the user's Open does and waits until its text is in: large files load
    // behind the window, so the document is empty at first.
    CRidereDoc *openText(const QString &path) const
    {
        auto *doc = qobject_cast<CRidereDoc *>(app->openWithAutomaticChoice(path));
        while (doc && doc->isLoading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return doc;
    }

    BenchApp(const BenchApp &) = delete;
    BenchApp &operator=(const BenchApp &) = delete;

    void closeAll()
    {
        for (CMDIChildFrame *frame : app->mainFrame()->workspace().documentFrames())
            frame->closeWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace pw::bench
