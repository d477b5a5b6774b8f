// CRidereDoc and its file: opening, reloading, saving with the user's say, and other programs'
// changes noticed.
#include "editor/rideredoc.h"

#include "editor/doccore/doccore.h"
#include "editor/documentwatcher.h"
#include "editor/encoding/docencoding.h"
#include "editor/encoding/textfile.h"
#include "editor/filedialogex.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "framework/messages.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace pw {

namespace {
constexpr long kChunkBytes = 262144;

// The load fills a fresh text of the component with undo recording and change reports off. The
// text the editor showed stays alive beside it until the load succeeds, so a failed load (or
// Reload) leaves it exactly as it was.
class FreshText
{
public:
    explicit FreshText(CMFCScintilla *editor) : m_editor(editor)
    {
        m_old = editor->send(Sci::SCI_GETDOCPOINTER);
        editor->send(Sci::SCI_ADDREFDOCUMENT, 0, m_old);
        const long fresh = editor->send(Sci::SCI_CREATEDOCUMENT);
        editor->send(Sci::SCI_SETDOCPOINTER, 0, fresh);
        editor->send(Sci::SCI_RELEASEDOCUMENT, 0, fresh); // the editor holds it now
        // Every document is UTF-8 in the editor; the setting belongs to each text.
        editor->setCodePage(Sci::SC_CP_UTF8);
        m_quiet.emplace(editor, CMFCScintilla::QuietChanges::SeparateSteps);
        editor->send(Sci::SCI_SETUNDOCOLLECTION, 0);
    }
    ~FreshText()
    {
        m_editor->send(Sci::SCI_SETUNDOCOLLECTION, 1);
        if (!m_kept)
            m_editor->send(Sci::SCI_SETDOCPOINTER, 0, m_old);
        m_quiet.reset();
        m_editor->send(Sci::SCI_RELEASEDOCUMENT, 0, m_old);
    }
    void keep() { m_kept = true; }

private:
    CMFCScintilla *m_editor;
    long m_old = 0;
    bool m_kept = false;
    std::optional<CMFCScintilla::QuietChanges> m_quiet;
};

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

bool CRidereDoc::onOpenDocument(const QString &path, const OpenRequest &request)
{
    m_encoding = request.encoding;
    m_markLength = request.markLength;
    m_readOnly = request.readOnly;
    chooseLanguageByExtension(extensionOf(path));

    QString error;
    if (!load(path, &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, error);
        return false;
    }
    setPathName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (m_backups)
        m_backups->init(pathName());
    CMFCScintilla *ed = editor();
    ed->setReadOnly(m_readOnly);
    m_editorHost.documentWatcher().watch(this);
    requestFunctionList(FunctionListService::Reason::Loaded);
    setModifiedFlag(false);
    if (!m_trailing.empty())
        showMessage(m_editorHost.window(), MessageIcon::Exclamation,
                    resourceText(Str::TrailingBytesKept)
                        .arg(displayPath(pathName()))
                        .arg(m_trailing.size()));
    return true;
}

void CRidereDoc::onCloseDocument()
{
    m_editorHost.documentWatcher().unwatch(this);
    if (m_backups)
        m_backups->close();
}

bool CRidereDoc::load(const QString &path, QString *error)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    enc::TextFileReader reader;
    if (!reader.open(path, enc::DocEncoding(m_encoding), error))
        return false;
    if (reader.wasReadOnly())
        m_readOnly = true;

    const std::unique_ptr<Progress> progress = m_editorHost.startProgress(reader.size());
    {
        FreshText text(ed);
        ed->send(Sci::SCI_ALLOCATE, long(reader.textSizeEstimate() + 1000));
        std::string chunk;
        for (;;) {
            while (reader.nextChunk(chunk)) {
                if (!chunk.empty())
                    ed->send(Sci::SCI_APPENDTEXT, chunk.size(),
                             reinterpret_cast<long>(chunk.data()));
                progress->step(reader.position());
            }
            // A file that looked like UTF-8 turned out not to be: read it again as Ansi.
            if (!reader.restartRequired())
                break;
            ed->send(Sci::SCI_CLEARALL);
            if (!reader.restartAsAnsi(error))
                return false;
        }
        if (reader.hasError()) {
            if (error)
                *error = reader.errorString();
            return false;
        }
        if (ed->send(Sci::SCI_GETSTATUS) != Sci::SC_STATUS_OK) {
            ed->send(Sci::SCI_SETSTATUS, Sci::SC_STATUS_OK);
            if (error)
                *error = resourceText(Str::FileTooLargeForText).arg(displayPath(path));
            return false;
        }
        // Only the end of the first line matters; never copy a huge first line.
        const long firstLineEnd = ed->send(Sci::SCI_POSITIONFROMLINE, 1);
        const long lineEnd = firstLineEnd > 0 ? firstLineEnd : ed->send(Sci::SCI_GETLENGTH);
        const QByteArray tail = ed->textRange(std::max(0L, lineEnd - 2), lineEnd);
        // A file without a line break takes the line ending of this platform's files.
        m_lineEnding = enc::detectLineEnding(std::string_view(tail.constData(), tail.size()),
                                             Sci::SC_EOL_LF);
        ed->send(Sci::SCI_SETEOLMODE, m_lineEnding);
        text.keep();
    }
    m_encoding = reader.encoding();
    m_markLength = reader.markLength();
    m_trailing = reader.trailingBytes();
    m_stamp = reader.stamp();
    m_answeredStamp = m_stamp;
    ed->send(Sci::SCI_SETSAVEPOINT);
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    ed->send(Sci::SCI_GOTOPOS, 0);
    // The language's lexer and tab settings belong to the text just replaced.
    if (CRidereView *v = view())
        v->applyLanguage();
    if (m_editorHost.settings().lineNumbers)
        ed->showLineNumbers(true);
    return true;
}

void CRidereDoc::reload()
{
    if (pathName().isEmpty() || !isModified())
        return;
    if (showMessage(m_editorHost.window(), MessageIcon::Question, Str::ReloadModifiedQuestion,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    reloadInPlace();
}

// The same file read again in its encoding, the caret and the first line shown kept where they
// were as far as the new text allows.
void CRidereDoc::reloadInPlace()
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return;
    const long caret = ed->send(Sci::SCI_GETCURRENTPOS);
    const long firstLine = ed->send(Sci::SCI_GETFIRSTVISIBLELINE);
    const int encoding = m_encoding;
    QString error;
    if (!load(pathName(), &error)) {
        m_encoding = encoding;
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, error);
        return;
    }
    ed->setReadOnly(m_readOnly);
    ed->send(Sci::SCI_GOTOPOS, std::min(caret, ed->send(Sci::SCI_GETLENGTH)));
    ed->send(Sci::SCI_SETFIRSTVISIBLELINE, firstLine);
    setModifiedFlag(false);
    m_editorHost.documentWatcher().watch(this);
    requestFunctionList(FunctionListService::Reason::Loaded);
}

void CRidereDoc::checkFileOnDisk()
{
    if (pathName().isEmpty() || !m_stamp.exists)
        return;
    const enc::FileStamp now = enc::FileStamp::of(pathName());
    // Nothing new since the last look, or a change the user has already answered.
    if (enc::compareStamps(m_answeredStamp, now) == enc::FileChange::None)
        return;
    const QString name = displayPath(pathName());
    m_answeredStamp = now;
    if (enc::compareStamps(m_stamp, now) == enc::FileChange::Deleted) {
        if (showMessage(m_editorHost.window(), MessageIcon::Question,
                        resourceText(Str::DeletedOnDiskKeep).replace(QLatin1String("%s"), name),
                        QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            // The text is all that is left of the file: saving it must not look unnecessary.
            setModifiedFlag(true);
        } else if (frame()) {
            frame()->closeWithoutAsking();
        }
        return;
    }
    if (isModified()) {
        if (showMessage(m_editorHost.window(), MessageIcon::Question,
                        resourceText(Str::ChangedOnDiskReload).replace(QLatin1String("%s"), name),
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    reloadInPlace();
    m_editorHost.setStatusText(StatusPane::Message, resourceText(Str::ReloadedFromDisk)
                                                        .replace(QLatin1String("%s"), name));
}

CRidereDoc::WriteResult CRidereDoc::writeText(const QString &path, const Format &format)
{
    WriteResult result;
    CMFCScintilla *ed = editor();
    if (!ed)
        return result;
    enc::TextFileWriter writer;
    if (!writer.open(path, enc::DocEncoding(format.encoding), format.markLength, &result.error)) {
        result.reason = writer.systemReason();
        return result;
    }
    // The odd bytes at the end of a UTF-16 or UTF-32 file go back where they came from.
    if (format.encoding == m_encoding)
        writer.setTrailingBytes(m_trailing);
    const long length = ed->send(Sci::SCI_GETLENGTH);
    long start = 0;
    bool written = true;
    while (start < length && written) {
        const long want = std::min(length - start, kChunkBytes);
        // End just before a character boundary so no character is split between chunks.
        long end = ed->send(Sci::SCI_POSITIONBEFORE, start + want + 1);
        if (end <= start || start + want == length)
            end = start + want;
        const char *data =
            reinterpret_cast<const char *>(ed->send(Sci::SCI_GETRANGEPOINTER, start, end - start));
        written = data && writer.write(std::string_view(data, std::size_t(end - start)),
                                       &result.error);
        start = end;
    }
    if (writer.status() == enc::TextFileWriter::Status::CannotEncode && writer.unencodable()) {
        const enc::Unencodable &bad = *writer.unencodable();
        result.cannotEncode = true;
        result.unencodable = bad.character ? QString::fromUcs4(&*bad.character, 1) : QString();
        result.unencodableLine = ed->send(Sci::SCI_LINEFROMPOSITION, long(bad.offset)) + 1;
        return result;
    }
    if (!written || !writer.commit(&result.error)) {
        result.reason = writer.systemReason();
        return result;
    }
    result.ok = true;
    result.stamp = writer.stamp();
    return result;
}

bool CRidereDoc::writeWithQuestions(const QString &path, Format &format)
{
    WriteResult result = writeText(path, format);
    if (result.cannotEncode) {
        // Never "?" for a character: the user chooses UTF-8, or nothing is written.
        const QString question =
            resourceText(Str::CannotEncodeQuestion)
                .arg(displayPath(path),
                     QString::fromUtf8(enc::encodingName(enc::DocEncoding(format.encoding),
                                                         format.markLength)),
                     result.unencodable, QString::number(result.unencodableLine));
        if (showMessage(m_editorHost.window(), MessageIcon::Question, question,
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
        format.encoding = enc::Utf8;
        format.markLength = 0;
        result = writeText(path, format);
    }
    if (!result.ok) {
        QString message = resourceText(Str::FailedCreateFileOnSave);
        const QString reason = result.reason.isEmpty() ? result.error : result.reason;
        if (!reason.isEmpty())
            message += QLatin1Char('\n') + resourceText(Str::SaveFailedReason).arg(reason);
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, message);
        return false;
    }
    m_stamp = result.stamp;
    m_answeredStamp = result.stamp;
    return true;
}

bool CRidereDoc::doSave(const QString &requestedPath, bool replace)
{
    CMFCScintilla *ed = editor();
    if (!ed)
        return false;
    QString path = requestedPath;
    const bool saveAs = path.isEmpty();
    const QString oldSuffix = extensionOf(pathName());
    Format format{m_encoding, m_markLength, m_lineEnding};
    if (saveAs) {
        const QString proposed = doc::plainTitle(pathName().isEmpty() ? title() : pathName());
        CFileDialogEx::SaveChoice choice;
        if (!CFileDialogEx::getSaveChoice(m_editorHost.window(), m_editorHost.settingsFile(),
                                          proposed, m_encoding, m_markLength, m_lineEnding,
                                          choice))
            return false;
        path = choice.path;
        format = {choice.encoding, choice.markLength, choice.lineEnding};
    } else if (!pathName().isEmpty() && m_stamp.exists &&
               enc::compareStamps(m_stamp, enc::FileStamp::of(path)) ==
                   enc::FileChange::Modified) {
        // Another program's work is never overwritten without the user's word.
        const QString question = resourceText(Str::ChangedOnDiskSave)
                                     .replace(QLatin1String("%s"), displayPath(path));
        if (showMessage(m_editorHost.window(), MessageIcon::Question, question,
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
    }

    // The file as it was goes to the backups before anything is written over it.
    if (m_backups && !saveAs && !pathName().isEmpty() &&
        QDir::cleanPath(QFileInfo(path).absoluteFilePath()) == pathName())
        m_backups->beforePlainSave(pathName());
    const long eolBefore = ed->send(Sci::SCI_GETEOLMODE);
    ed->send(Sci::SCI_SETEOLMODE, format.lineEnding);
    if (!writeWithQuestions(path, format)) {
        // A failed save changes nothing about the document.
        ed->send(Sci::SCI_SETEOLMODE, eolBefore);
        return false;
    }
    m_encoding = format.encoding;
    m_markLength = format.markLength;
    m_lineEnding = format.lineEnding;
    if (saveAs && replace) {
        m_editorHost.documentWatcher().unwatch(this);
        setPathName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
        if (extensionOf(path).compare(oldSuffix, Qt::CaseInsensitive) != 0)
            chooseLanguageByExtension(extensionOf(path));
        m_readOnly = false;
        ed->setReadOnly(false);
        if (m_backups)
            m_backups->init(pathName());
    }
    // A save that replaced the file by renaming leaves the watch on the old one.
    m_editorHost.documentWatcher().watch(this);
    ed->send(Sci::SCI_SETSAVEPOINT);
    if (m_editorHost.settings().resetUndoOnSave)
        ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    setModifiedFlag(false);
    return true;
}

bool CRidereDoc::writeCopy(const QString &path)
{
    Format format{m_encoding, m_markLength, m_lineEnding};
    WriteResult result = writeText(path, format);
    // A copy is read back by the program only: UTF-8 holds whatever the encoding cannot.
    if (result.cannotEncode) {
        format = {enc::Utf8, 0, m_lineEnding};
        result = writeText(path, format);
    }
    if (!result.ok) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, Str::FailedCreateCompareTemp);
        return false;
    }
    return true;
}

} // namespace pw
