// CompareCommands: snapshots of the active text, the other file chosen, and the compare window.
#include "compare/comparecommands.h"

#include "compare/comparedialog.h"
#include "compare/compareview.h"
#include "editor/doccore/doccore.h"
#include "editor/editorhost.h"
#include "editor/rideredoc.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "settings/appfolders.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryFile>

namespace pw {

CompareCommands::CompareCommands(EditorHost &host, QObject *parent) : QObject(parent), m_host(host)
{
    const auto textDocument = [this](CommandUi &ui) {
        ui.enabled = activeTextDocument() != nullptr;
    };
    const auto savedDocument = [this](CommandUi &ui) {
        const CRidereDoc *doc = activeTextDocument();
        ui.enabled = doc && !doc->pathName().isEmpty();
    };
    onCommand(
        Cmd::CompareWithActive, [this] { compareWithActive(); }, textDocument);
    onCommand(
        Cmd::CompareWithSaved, [this] { compareWithSaved(); }, savedDocument);
    onCommand(
        Cmd::CompareActiveWithSaved, [this] { compareActiveWithSaved(); }, savedDocument);
    onCommand(Cmd::CompareFiles, [this] { compareAnyTwoFiles(); });
}

void CompareCommands::setChooseFileHook(ChooseFileHook hook)
{
    s_chooseFileHook = std::move(hook);
}

CRidereDoc *CompareCommands::activeTextDocument() const
{
    CMDIChildFrame *frame = m_host.activeFrame();
    return frame ? qobject_cast<CRidereDoc *>(frame->document()) : nullptr;
}

QString CompareCommands::chooseOtherFile() const
{
    if (s_chooseFileHook)
        return s_chooseFileHook();
    QFileDialog dialog(m_host.window(), QStringLiteral("Open"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString CompareCommands::writeSnapshot(CRidereDoc &document, const QString &folder)
{
    const QString where = QFileInfo(folder).isDir() ? folder : QDir::tempPath();
    QTemporaryFile file(
        QDir(where).filePath(doc::plainTitle(document.title()) + QStringLiteral(".XXXXXX")));
    file.setAutoRemove(false);
    if (!file.open()) {
        showMessage(document.editorHost().window(), MessageIcon::Exclamation,
                    Str::FailedCreateCompareTemp);
        return {};
    }
    const QString path = file.fileName();
    file.close();
    if (!document.writeCopy(path)) {
        QFile::remove(path);
        return {};
    }
    return path;
}

void CompareCommands::open(const QString &first, const QString &second, const QString &snapshot)
{
    auto *compare = qobject_cast<CCompareDocument *>(m_host.openCompare(first, second));
    if (snapshot.isEmpty())
        return;
    if (compare)
        compare->removeOnClose(snapshot);
    else
        QFile::remove(snapshot);
}

void CompareCommands::compareWithActive()
{
    CRidereDoc *doc = activeTextDocument();
    if (!doc)
        return;
    const QString other = chooseOtherFile();
    if (other.isEmpty())
        return;
    const QString snapshot = writeSnapshot(*doc, AppFolders::documentsFolder());
    if (!snapshot.isEmpty())
        open(snapshot, other, snapshot);
}

void CompareCommands::compareWithSaved()
{
    CRidereDoc *doc = activeTextDocument();
    if (!doc || doc->pathName().isEmpty())
        return;
    const QString other = chooseOtherFile();
    if (!other.isEmpty())
        open(doc->pathName(), other, {});
}

void CompareCommands::compareActiveWithSaved()
{
    CRidereDoc *doc = activeTextDocument();
    if (!doc || doc->pathName().isEmpty())
        return;
    const QString snapshot = writeSnapshot(*doc, AppFolders::documentsFolder());
    if (!snapshot.isEmpty())
        open(snapshot, doc->pathName(), snapshot);
}

void CompareCommands::compareAnyTwoFiles()
{
    CBRCompareDlg dialog(m_host.settingsFile(), m_host.window());
    if (dialog.run() == QDialog::Accepted)
        open(dialog.firstPath(), dialog.secondPath(), {});
}

} // namespace pw
