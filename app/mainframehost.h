// MainFrameHost: the program's side of the host interface, over the application and main frame.
#pragma once

#include "editor/editorhost.h"
#include "framework/serviceregistry.h"

#include <memory>

namespace pw {

class CMainFrame;
class PenwrightApp;

class MainFrameHost : public EditorHost
{
public:
    MainFrameHost(PenwrightApp &app, CMainFrame &frame);
    ~MainFrameHost() override;

    QWidget *window() const override;
    FrameSettings &settings() const override;
    QString settingsFile() const override;
    void setStatusText(StatusPane pane, const QString &text) override;
    std::unique_ptr<Progress> startProgress(qint64 total, bool stoppable) override;
    std::unique_ptr<Progress> startBackgroundProgress(qint64 total) override;
    void addRecentFile(const QString &path) override;
    CommandRouter *router() const override;
    CMDIChildFrame *activeFrame() const override;
    CDocument *openDocument(const QString &path, const OpenRequest &request) override;
    CDocument *openWithAutomaticChoice(const QString &path) override;
    CDocument *openCompare(const QString &first, const QString &second) override;
    bool closingWithReopen() const override;
    bool isPaneShown(int paneId) const override;

    const LanguageList &languages() const override;
    void reloadLanguages(bool applyToOpen) override;
    QList<CRidereView *> textViews() const override;
    NavigationHistory &navigation() override;
    FunctionListService *functionList() const override { return m_functionList; }
    DocumentWatcher &documentWatcher() override { return *m_watcher; }
    void setFunctionList(FunctionListService *service) { m_functionList = service; }
    BackupService *backups() const override { return m_backups; }
    void setBackups(BackupService *service) { m_backups = service; }
    RecoveryService *recovery() const override { return m_recovery; }
    void setRecovery(RecoveryService *service) { m_recovery = service; }
    ServiceRegistry &services() override { return m_services; }

private:
    PenwrightApp &m_app;
    CMainFrame &m_frame;
    FunctionListService *m_functionList = nullptr;
    BackupService *m_backups = nullptr;
    RecoveryService *m_recovery = nullptr;
    ServiceRegistry m_services;
    std::unique_ptr<DocumentWatcher> m_watcher;
};

} // namespace pw
