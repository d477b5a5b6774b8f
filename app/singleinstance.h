// One running program per user: a second start hands its files to the first and exits.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace pw {

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // The per-user name of the local socket; tests pass a name of their own.
    static QString defaultServerName();

    explicit SingleInstance(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Starts answering later starts. A stale socket left by a crashed run is replaced, but a
    // live one is never taken over.
    bool listen();
    bool isListening() const;

    // The second start's side: the paths are already in the reopen list; tell the running
    // program to open them. False when nobody answers within timeoutMs.
    static bool notifyRunning(const QString &serverName, int timeoutMs = 2000);

signals:
    // Another start placed files in the reopen list.
    void filesPending();

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace pw
