// CompareCommands: the ways into a compare window, from the active text document or any two files.
#pragma once

#include "framework/commandtarget.h"

#include <QObject>
#include <QString>
#include <functional>

namespace pw {

class CRidereDoc;
class EditorHost;

// Handles, for the active text document:
// - "Compare with the Active Document" (6239): a snapshot of the text against a chosen file;
// - "Compare with the Saved Document" (6241): the saved file against a chosen file;
// - "Compare Active With Saved Document" (6249): a snapshot of the text against the saved file;
// and "Compare Files..." (32831): the "Compare Files" dialog. 6239 needs a text document; 6241
// and 6249 one with a file.
//
// A snapshot is the text written as a save would write it, to a new file in the user's documents
// folder named after the title without "*"; its compare window removes it when it closes.
class CompareCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    explicit CompareCommands(EditorHost &host, QObject *parent = nullptr);

    // Writes a snapshot of the document's text; empty (after the message) when it cannot.
    static QString writeSnapshot(CRidereDoc &document, const QString &folder);

    // Tests choose the other file here instead of a dialog; empty means cancelled.
    using ChooseFileHook = std::function<QString()>;
    static void setChooseFileHook(ChooseFileHook hook);

private:
    static inline ChooseFileHook s_chooseFileHook;
    CRidereDoc *activeTextDocument() const;
    QString chooseOtherFile() const;
    void compareWithActive();
    void compareWithSaved();
    void compareActiveWithSaved();
    void compareAnyTwoFiles();
    // Opens the compare window; the snapshot, if any, goes with it (or now, when none opened).
    void open(const QString &first, const QString &second, const QString &snapshot);

    EditorHost &m_host;
};

} // namespace pw
