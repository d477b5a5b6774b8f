// CRidereDoc: the text document, between the editor's text and the file on disk.
#pragma once

#include "editor/editorhost.h"
#include "editor/encoding/filestamp.h"
#include "framework/document.h"

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

namespace pw {

class CMFCScintilla;
class CRidereView;
class TextLoad;

class CRidereDoc : public CDocument
{
    Q_OBJECT
public:
    explicit CRidereDoc(EditorHost &host);
    ~CRidereDoc() override;

    EditorHost &editorHost() const { return m_editorHost; }
    bool onNewDocument() override;
    bool onOpenDocument(const QString &path, const OpenRequest &request) override;
    bool doSave(const QString &path, bool replace = true) override;
    bool isTextDocument() const override { return true; }
    QString decoratedTitle() const override;
    void setModifiedFlag(bool modified) override;

    void onCloseDocument() override;

    // Writes the current text to another file, as a save would, without touching the document.
    bool writeCopy(const QString &path);
    // A file is read into a fresh text of the component on a worker thread; the editor keeps
    // what it showed until the new text is attached, so a failed or stopped load changes
    // nothing. An open waits this long for small files before the window shows (tests use 0 to
    // see the load go on behind the window).
    static void setLoadWaitMs(int ms);
    bool isLoading() const { return !m_load.isNull(); }
    // Stop (Escape in the view, or the status bar's Stop).
    void cancelLoad();
    // Opened in large-file mode: colouring, folding and word wrap started off.
    bool isLargeFile() const { return m_largeFile; }
    // The text has no style bytes (large-file mode) and cannot be coloured as it is.
    bool isStyleless() const { return m_styleless; }
    // The user asked for colouring: a text without style bytes is made again with them, read
    // from the file when it is as saved, else copied after the user agrees to lose the undo
    // history. True when colouring can go ahead (now, or once the new text is in); false when
    // the user said no or a load is still running.
    bool makeColourable();
    // Lines over the line limit were cut into pieces when the file was read: the text shown is
    // not the file's, so the document stays read-only and cannot be saved until it is read again
    // with whole lines (the user is asked after the load, and again on Reload).
    bool hasCutLines() const { return !m_cutOffsets.empty(); }
    // Puts the caret at a line (from 1) and byte column of the file as it is on disk, shown:
    // past a cut line, the text's own line numbers are not the file's.
    void goToFileLine(int line, qint64 column);
    // Whole text is about to replace the loaded one (recovered work): the document stops being
    // a cut view, becomes editable again unless the user made it read-only, and later loads
    // keep lines whole.
    void keepLinesWhole();
    // The editor reached its save point; after a copy the text there is not the file's.
    void savePointReached();
    // "Reload": asks first when the document is modified.
    void reload();
    // Compares the file with what was loaded or saved last: a change by another program reloads
    // an unmodified document in place, and asks about a modified or deleted one.
    void checkFileOnDisk();
    // Asks the function list, when the program has one, to parse this document.
    void requestFunctionList(FunctionListService::Reason reason);

    int encoding() const { return m_encoding; }
    int markLength() const { return m_markLength; }
    // The encoding commands: the text is turned back into the bytes the old encoding would write
    // and read again in the new one; the mark goes with the choice.
    void setEncoding(int encoding, int markLength);
    int lineEnding() const { return m_lineEnding; }
    void setLineEnding(int mode);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // The language's function-list number (its LEXERID); 0 or less means none.
    int languageId() const { return m_languageId; }
    // The document's language: its position in the host's language list.
    int languageIndex() const { return m_languageIndex; }
    void setLanguage(int index, int lexerId);
    // Picks the language claiming the extension (".cpp"; empty for a new document), or the
    // default one, and colours the view with it.
    void chooseLanguageByExtension(const QString &extension);
    // Picks the language for a file saved or opened as path: its extension, else its whole name,
    // else what firstLine says ("#!", "<?xml", an editor's mode line); colours the view with it.
    void chooseLanguageForFile(const QString &path, const QString &firstLine);
    static QString extensionOf(const QString &path);

    CRidereView *view() const;
    CMFCScintilla *editor() const;
    // The file as it was when the document last loaded or saved it.
    const enc::FileStamp &fileStamp() const { return m_stamp; }
    // The document's backup copies; null when the program has no backups.
    DocumentBackups *backups() const { return m_backups.get(); }

signals:
    // A load attached its text (a failed or stopped one does not report).
    void loadFinished();

private:
    // Restyle: the document's own text copied into a text with style bytes.
    enum class LoadPurpose { Open, Reload, Restyle };
    bool startLoad(const QString &path, LoadPurpose purpose, QString *error);
    // Progress, Stop and the handover of a load just started.
    void followLoad(TextLoad *load, LoadPurpose purpose);
    void finishLoad();

    struct Format
    {
        int encoding;
        int markLength;
        int lineEnding;
    };
    struct WriteResult
    {
        bool ok = false;
        bool cannotEncode = false;
        QString unencodable; // the first character the encoding cannot hold
        long unencodableLine = 0;
        QString error;
        QString reason; // the system's reason, for a second line
        enc::FileStamp stamp;
    };
    WriteResult writeText(const QString &path, const Format &format);
    // Writes with the user's say where the text or the disk disagree with format; false when
    // nothing was saved. format comes back as it was written (UTF-8 if the user chose that).
    bool writeWithQuestions(const QString &path, Format &format);
    void reloadInPlace();
    // After a load that cut lines: offers to read the file again with them whole.
    void offerWholeLines();
    void registerCommands();

    EditorHost &m_editorHost;
    int m_lineEnding = 0;
    int m_encoding = 4;
    int m_markLength = 0;
    bool m_readOnly = false;
    int m_languageId = 0;
    int m_languageIndex = -1;
    // The file as last loaded or saved, and the last change of it the user already answered.
    enc::FileStamp m_stamp;
    enc::FileStamp m_answeredStamp;
    // Bytes after the last whole character of a UTF-16 or UTF-32 file, written back on save.
    std::string m_trailing;
    QPointer<TextLoad> m_load;
    std::unique_ptr<Progress> m_loadProgress;
    LoadPurpose m_loadPurpose = LoadPurpose::Open;
    QString m_loadingPath;
    bool m_openSucceeded = false;
    bool m_largeFile = false;
    bool m_styleless = false;
    // Chosen colouring: later loads of a large file keep style bytes.
    bool m_coloursWanted = false;
    // A copied text is at the editor's save point without being the file: undoing back to it
    // leaves the document modified.
    bool m_savePointLost = false;
    qint64 m_longestLine = 0; // bytes, of the file as last read cut
    std::vector<std::uint64_t> m_cutOffsets; // where the breaks went, in the file's text
    // The bytes of one break, and where break i starts in the text (after the i before it).
    long cutBreakLength() const;
    long cutBreakPosition(std::size_t i) const;
    // The user asked for whole lines, whatever the pause: later loads cut nothing.
    bool m_wholeLinesWanted = false;
    // The read-only choice that cut lines overrule, given back when the lines come back whole.
    bool m_readOnlyUncut = false;
    std::unique_ptr<DocumentBackups> m_backups;
};

} // namespace pw
