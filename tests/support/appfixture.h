// A running Penwright on the offscreen platform, with its settings in a temporary folder.
#pragma once

#include "settings/appfolders.h"
#include "framework/commandrouter.h"
#include "app/dockpanes.h"
#include "app/mainframe.h"
#include "app/workspace.h"
#include "framework/messages.h"
#include "app/penwrightapp.h"
#include "editor/mfcscintilla.h"
#include "editor/rideredoc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace pw::test {

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A portable layout: the "program" lives in the temporary folder, so the settings do too.
        AppFolders::setInputs({m_dir.filePath(QStringLiteral("penwright")),
                               QStringLiteral("/nonexistent-install-prefix"),
                               m_dir.filePath(QStringLiteral("data")),
                               m_dir.filePath(QStringLiteral("docs"))});
        m_previousHook = setMessageHook(
            [this](MessageIcon icon, const QString &text, QMessageBox::StandardButtons) {
                m_messages.append(text);
                m_icons.push_back(icon);
                return m_answer;
            });
        // The shipped language files, as a portable copy of the program finds them beside itself.
        QFile::link(QStringLiteral(PENWRIGHT_BUILD_DIR "/Config"),
                    m_dir.filePath(QStringLiteral("Config")));
        // The registry layer lives in the test's private home; start every test from nothing.
        QSettings(QStringLiteral("Brightmoor"), QStringLiteral("Penwright")).clear();
        // A small file is whole when its open returns, however busy the machine running the tests.
        CRidereDoc::setLoadWaitMs(20000);
        startApp();
    }

    // Starts (or restarts, after closeApp) the program on the same settings folder.
    void startApp(const QStringList &arguments = {QStringLiteral("penwright")})
    {
        m_app = std::make_unique<PenwrightApp>();
        ASSERT_TRUE(m_app->initInstance(arguments));
    }
    // Closes the main window as the user would; false when a document kept it open.
    bool closeApp()
    {
        const bool closed = frame()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (closed)
            m_app.reset();
        return closed;
    }

    void TearDown() override
    {
        m_answer = QMessageBox::No; // discard whatever a test left unsaved
        if (m_app && m_app->mainFrame()) {
            for (CMDIChildFrame *frame : m_app->mainFrame()->workspace().documentFrames())
                frame->closeWithoutAsking();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_app.reset();
        setMessageHook(m_previousHook);
        CRidereDoc::setLoadWaitMs(60);
    }

    CMainFrame *frame() const { return m_app->mainFrame(); }
    bool run(int id) { return frame()->router()->execute(id); }
    CommandUi state(int id) { return frame()->router()->state(id); }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    CRidereDoc *open(const QString &path)
    {
        return qobject_cast<CRidereDoc *>(m_app->openWithAutomaticChoice(path));
    }
    CRidereDoc *activeDoc() const
    {
        CMDIChildFrame *f = frame()->workspace().activeFrame();
        return f ? qobject_cast<CRidereDoc *>(f->document()) : nullptr;
    }
    // A load that runs behind the window; false if it has not ended within 20 s.
    static bool waitLoaded(CRidereDoc *doc)
    {
        QElapsedTimer timer;
        timer.start();
        while (doc->isLoading() && timer.elapsed() < 20000)
            QTest::qWait(10);
        return !doc->isLoading();
    }
    static QByteArray editorText(CRidereDoc *doc)
    {
        CMFCScintilla *ed = doc->editor();
        return ed->textRange(0, ed->send(Sci::SCI_GETLENGTH));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PenwrightApp> m_app;
    QStringList m_messages;
    std::vector<MessageIcon> m_icons;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    MessageHook m_previousHook;
};

} // namespace pw::test
