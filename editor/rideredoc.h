// CRidereDoc: the text document, between the editor's text and the file on disk.
#pragma once

#include "editor/editorhost.h"
#include "framework/document.h"

namespace pw {

class CMFCScintilla;
class CRidereView;

class CRidereDoc : public CDocument
{
    Q_OBJECT
public:
    explicit CRidereDoc(EditorHost &host);

    EditorHost &editorHost() const { return m_editorHost; }
    bool onNewDocument() override;
    bool onOpenDocument(const QString &path, const OpenRequest &request) override;
    bool doSave(const QString &path, bool replace = true) override;
    bool isTextDocument() const override { return true; }
    QString decoratedTitle() const override;
    void setModifiedFlag(bool modified) override;

    // Writes the current text to another file, as a save would, without touching the document.
    bool writeCopy(const QString &path);
    // Loads the file into the editor with the document's encoding and mark length.
    bool load(const QString &path, QString *error = nullptr);
    void reload();
    void goToLineColumn(int line, int column);
    // Asks the function list, when the program has one, to parse this document.
    void requestFunctionList(FunctionListService::Reason reason);

    int encoding() const { return m_encoding; }
    void setEncoding(int encoding); // the encoding commands: reinterpret, no conversion
    int markLength() const { return m_markLength; }
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
    static QString extensionOf(const QString &path);

    CRidereView *view() const;
    CMFCScintilla *editor() const;

private:
    enum class WriteKind { Save, Copy };
    bool writeText(const QString &path, WriteKind kind, QString *error);

    EditorHost &m_editorHost;
    int m_lineEnding = 0;
    int m_encoding = 4;
    int m_markLength = 0;
    bool m_readOnly = false;
    int m_languageId = 0;
    int m_languageIndex = -1;
};

} // namespace pw
