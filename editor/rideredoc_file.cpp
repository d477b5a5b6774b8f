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
#include "editor/textload.h"
#include "framework/messages.h"
#include "languages/engine/languagechoice.h"
#include "resources/resources.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <atomic>

namespace pw {

namespace {
constexpr long kChunkBytes = 262144;
// How long an open waits for its worker before the window is shown and the load goes on behind
// it: a small file is simply there, a big one never holds the window longer than this.
std::atomic<int> g_loadWaitMs{60};
// Files above this size cannot be in within the wait; waiting for them would only hold the window.
constexpr qint64 kWaitedLoadBytes = qint64(8) << 20;

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Lines shown whose bytes add up to less than this are laid out by the first paint at once.
constexpr long kLayoutInTurnsBytes = 32768;

// The component lays out a whole line, however long, the first time it shows it, measuring every
// character: a screen of lines of 10 000 characters holds the window for a tenth of a second in
// one paint, before the load's last report. The lines about to be shown are laid out here one a
// turn (each styled first, so the paint finds them as it would make them), with the window's
// painting held meanwhile; the paint then only draws. A single line still takes as long as the
// component needs for it.
class ShownLinesLayout : public QObject
{
public:
    ShownLinesLayout(CMFCScintilla *ed, long first, long last)
        : QObject(ed), m_editor(ed), m_line(first), m_last(last)
    {
        m_editor->viewport()->setUpdatesEnabled(false);
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, &ShownLinesLayout::next);
        m_timer.start();
    }

private:
    void next()
    {
        const long end = m_editor->send(Sci::SCI_GETLINEENDPOSITION, m_line);
        const long styled = m_editor->send(Sci::SCI_GETENDSTYLED);
        if (styled < end)
            m_editor->send(Sci::SCI_COLOURISE, styled, end);
        m_editor->send(Sci::SCI_POINTXFROMPOSITION, 0, end);
        if (++m_line <= m_last)
            return;
        m_timer.stop();
        m_editor->viewport()->setUpdatesEnabled(true);
        deleteLater();
    }

    CMFCScintilla *m_editor;
    QTimer m_timer;
    long m_line;
    long m_last;
};

void layOutShownLinesInTurns(CMFCScintilla *ed)
{
    const long lines = ed->send(Sci::SCI_GETLINECOUNT);
    const long first =
        ed->send(Sci::SCI_DOCLINEFROMVISIBLE, ed->send(Sci::SCI_GETFIRSTVISIBLELINE));
    const long last = std::min(lines - 1, first + ed->send(Sci::SCI_LINESONSCREEN) + 1);
    if (ed->send(Sci::SCI_GETLINEENDPOSITION, last) - ed->send(Sci::SCI_POSITIONFROMLINE, first) <
        kLayoutInTurnsBytes)
        return;
    new ShownLinesLayout(ed, first, last);
}
} // namespace

void CRidereDoc::setLoadWaitMs(int ms)
{
    g_loadWaitMs = std::max(0, ms);
}

bool CRidereDoc::onOpenDocument(const QString &path, const OpenRequest &request)
{
    m_encoding = request.encoding;
    m_markLength = request.markLength;
    m_readOnly = request.readOnly;
    // Only the first line is read here; the text itself comes through the load below.
    chooseLanguageForFile(path, readFirstLine(path));
    // The title shows while the text comes; the path is taken once the file is read.
    setTitle(QFileInfo(path).fileName());
    m_loadingPath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString error;
    if (!startLoad(m_loadingPath, LoadPurpose::Open, &error)) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, error);
        return false;
    }
    if (RecoveryService *recovery = m_editorHost.recovery())
        recovery->watch(this);
    if (!m_load)
        return m_openSucceeded; // finished within the wait
    return true;
}

void CRidereDoc::onCloseDocument()
{
    m_editorHost.documentWatcher().unwatch(this);
    // Stops a load at once; its thread ends within one chunk.
    delete m_load.data();
    if (m_backups)
        m_backups->close();
}

bool CRidereDoc::startLoad(const QString &path, LoadPurpose purpose, QString *error)
{
    CMFCScintilla *ed = editor();
    if (!ed || m_load)
        return false;
    auto *load = new TextLoad(ed, this);
    const qint64 lineLimit = m_wholeLinesWanted ? 0 : TextLoad::lineLimitBytes();
    if (!load->start(path, enc::DocEncoding(m_encoding), error, m_coloursWanted, lineLimit)) {
        delete load;
        return false;
    }
    followLoad(load, purpose);
    return true;
}

void CRidereDoc::followLoad(TextLoad *load, LoadPurpose purpose)
{
    CMFCScintilla *ed = editor();
    m_load = load;
    m_loadPurpose = purpose;
    m_loadProgress = m_editorHost.startBackgroundProgress(load->totalBytes());
    // Progress and Stop are looked at now and then; the worker never waits for the window.
    auto *poll = new QTimer(load);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, this, [this] {
        if (!m_load || !m_loadProgress)
            return;
        m_loadProgress->step(m_load->bytesDone());
        if (m_loadProgress->stopRequested())
            m_load->cancel();
    });
    poll->start();
    connect(load, &TextLoad::finished, this, &CRidereDoc::finishLoad, Qt::QueuedConnection);
    if (load->totalBytes() <= kWaitedLoadBytes && load->waitFor(g_loadWaitMs)) {
        finishLoad();
        return;
    }
    // The window goes on while the text comes: typing into the old text would be lost (and a
    // copy reads the old text where it is).
    ed->setReadOnly(true);
}

bool CRidereDoc::makeColourable()
{
    CMFCScintilla *ed = editor();
    if (isLoading() || !ed)
        return false;
    if (!m_styleless) {
        m_coloursWanted = true;
        return true;
    }
    // As saved: read again from the file, with the same load as an open.
    if (!isModified() && !pathName().isEmpty() && QFileInfo::exists(pathName())) {
        m_coloursWanted = true;
        m_loadingPath = pathName();
        QString error;
        if (startLoad(m_loadingPath, LoadPurpose::Reload, &error))
            return true;
        m_coloursWanted = false;
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, error);
        return false;
    }
    if ((isModified() || ed->canUndo()) &&
        showMessage(m_editorHost.window(), MessageIcon::Question, Str::ColouringClearsUndo,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    m_coloursWanted = true;
    // The text is read where it lies while the copy runs: one call puts it in one piece, and the
    // editor stays read-only until the copy is attached.
    const long length = ed->send(Sci::SCI_GETLENGTH);
    const auto *text = reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER));
    auto *load = new TextLoad(ed, this);
    ed->setReadOnly(true);
    load->startCopy(text, length);
    followLoad(load, LoadPurpose::Restyle);
    return true;
}

void CRidereDoc::savePointReached()
{
    if (!m_savePointLost)
        setModifiedFlag(false);
}

void CRidereDoc::cancelLoad()
{
    if (m_load)
        m_load->cancel();
}

void CRidereDoc::finishLoad()
{
    // A load finished by the wait still has its report on the way, and another load may have
    // started before it arrives: only a load that has finished has a result to take.
    if (!m_load || !m_load->isFinished())
        return;
    // Stop pressed after the last chunk but before the window heard of it still stops: the user
    // asked for no text, and the unclaimed one is freed with the load.
    LoadedText result;
    if (m_loadProgress && m_loadProgress->stopRequested())
        result.cancelled = true;
    else
        result = m_load->takeResult();
    m_load->deleteLater();
    m_load = nullptr;
    m_loadProgress.reset();
    CMFCScintilla *ed = editor();
    const bool opening = m_loadPurpose == LoadPurpose::Open;
    const bool restyle = m_loadPurpose == LoadPurpose::Restyle;
    if (!result.ok) {
        ed->setReadOnly(m_readOnly);
        // Colouring asked for a text that is still without style bytes: it stays plain.
        if (m_styleless && m_coloursWanted) {
            m_coloursWanted = false;
            if (CRidereView *v = view())
                v->textReplaced(m_largeFile);
        }
        if (!result.cancelled)
            showMessage(m_editorHost.window(), MessageIcon::Exclamation,
                        result.error.isEmpty()
                            ? resourceText(Str::FileTooLargeForText).arg(displayPath(m_loadingPath))
                            : result.error);
        m_openSucceeded = false;
        // A window opened for the file goes; a reload leaves the text as it was.
        if (opening && frame() && frame()->isVisible())
            frame()->closeWithoutAsking();
        return;
    }
    const long caret = ed->send(Sci::SCI_GETCURRENTPOS);
    const long firstLine = ed->send(Sci::SCI_GETFIRSTVISIBLELINE);
    const bool wasModified = isModified();
    const bool loadedCut = !result.cutOffsets.empty();
    // A copy has the same lines: its bookmarks come with it.
    const std::vector<std::pair<long, int>> markers =
        restyle ? ed->lineMarkers() : std::vector<std::pair<long, int>>();
    // The editor takes the new text; the one it showed is freed with its last reference.
    ed->send(Sci::SCI_SETDOCPOINTER, 0, result.document);
    ed->send(Sci::SCI_RELEASEDOCUMENT, 0, result.document);
    ed->setCodePage(Sci::SC_CP_UTF8);
    ed->updateModificationEvents();
    if (!restyle) {
        m_encoding = result.encoding;
        m_markLength = result.markLength;
        m_lineEnding = result.lineEnding;
        m_trailing = result.trailingBytes;
        m_stamp = result.stamp;
        m_answeredStamp = m_stamp;
        if (result.readOnly)
            m_readOnly = true;
        // Cut lines make the text read-only; whole ones give the user's choice back.
        if (loadedCut && !hasCutLines())
            m_readOnlyUncut = m_readOnly;
        else if (!loadedCut && hasCutLines())
            m_readOnly = m_readOnlyUncut || result.readOnly;
        m_cutOffsets = std::move(result.cutOffsets);
        if (hasCutLines()) {
            m_readOnly = true;
            m_longestLine = result.longestLine;
        }
    }
    m_styleless = result.styleless;
    m_largeFile = m_styleless || ed->send(Sci::SCI_GETLENGTH) >= TextLoad::largeFileBytes();
    ed->send(Sci::SCI_SETEOLMODE, m_lineEnding);
    // A loader's text records no undo while it is filled; from here on edits are undoable.
    ed->send(Sci::SCI_SETUNDOCOLLECTION, 1);
    m_savePointLost = restyle && wasModified;
    ed->send(Sci::SCI_SETSAVEPOINT);
    ed->send(Sci::SCI_EMPTYUNDOBUFFER);
    if (restyle)
        ed->restoreLineMarkers(markers);
    // The language's lexer and tab settings belong to the text just attached.
    if (CRidereView *v = view())
        v->textReplaced(m_largeFile && !m_coloursWanted);
    if (m_editorHost.settings().lineNumbers)
        ed->showLineNumbers(true);
    if (opening) {
        ed->send(Sci::SCI_GOTOPOS, 0);
        setPathName(m_loadingPath);
        if (m_backups)
            m_backups->init(pathName());
    } else {
        ed->send(Sci::SCI_GOTOPOS, std::min(caret, ed->send(Sci::SCI_GETLENGTH)));
        ed->send(Sci::SCI_SETFIRSTVISIBLELINE, firstLine);
    }
    ed->setReadOnly(m_readOnly);
    m_editorHost.documentWatcher().watch(this);
    requestFunctionList(FunctionListService::Reason::Loaded);
    setModifiedFlag(m_savePointLost);
    m_openSucceeded = true;
    layOutShownLinesInTurns(ed);
    if (m_largeFile && !m_coloursWanted)
        m_editorHost.setStatusText(StatusPane::Message, resourceText(Str::LargeFileMode));
    if (hasCutLines())
        m_editorHost.setStatusText(StatusPane::Message, resourceText(Str::LinesCutStatus));
    if (!restyle && !m_trailing.empty())
        showMessage(m_editorHost.window(), MessageIcon::Exclamation,
                    resourceText(Str::TrailingBytesKept)
                        .arg(displayPath(m_loadingPath))
                        .arg(m_trailing.size()));
    emit titleChanged();
    emit loadFinished();
    // Asked once the text shows, so the question never holds a window without its text; a
    // reload (another program's change) only keeps the status bar's note.
    if (opening && loadedCut && hasCutLines())
        offerWholeLines();
}

void CRidereDoc::keepLinesWhole()
{
    m_wholeLinesWanted = true;
    if (!hasCutLines())
        return;
    m_cutOffsets.clear();
    setReadOnly(m_readOnlyUncut);
    m_editorHost.setStatusText(StatusPane::Message, QString());
}

void CRidereDoc::offerWholeLines()
{
    // Reading the file again would put its text over changes, such as recovered work.
    if (!hasCutLines() || isModified())
        return;
    const QLocale locale;
    const QString question = resourceText(Str::LinesCutQuestion)
                                 .arg(displayPath(pathName()), locale.toString(m_longestLine),
                                      locale.toString(TextLoad::lineLimitBytes()));
    if (showMessage(m_editorHost.window(), MessageIcon::Question, question,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    m_wholeLinesWanted = true;
    reloadInPlace();
}

void CRidereDoc::reload()
{
    if (hasCutLines() && !isLoading()) {
        offerWholeLines();
        return;
    }
    if (pathName().isEmpty() || !isModified())
        return;
    if (showMessage(m_editorHost.window(), MessageIcon::Question, Str::ReloadModifiedQuestion,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    reloadInPlace();
}

// The same file read again in its encoding, the caret and the first line shown kept where they
// were as far as the new text allows; a failed read leaves the text as it was.
void CRidereDoc::reloadInPlace()
{
    m_loadingPath = pathName();
    QString error;
    if (!startLoad(m_loadingPath, LoadPurpose::Reload, &error))
        showMessage(m_editorHost.window(), MessageIcon::Exclamation, error);
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
    // The breaks that cut long lines are left out: what is written is the file's text.
    const std::size_t cuts = m_cutOffsets.size();
    std::size_t nextCut = 0;
    long start = 0;
    bool written = true;
    while (start < length && written) {
        const long stop = nextCut < cuts ? cutBreakPosition(nextCut) : length;
        if (start >= stop) {
            start = stop + cutBreakLength();
            ++nextCut;
            continue;
        }
        const long want = std::min(stop - start, kChunkBytes);
        // End just before a character boundary so no character is split between chunks.
        long end = ed->send(Sci::SCI_POSITIONBEFORE, start + want + 1);
        if (end <= start || start + want == stop)
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
    // A text with cut lines is not the file: written anywhere, it would pass for it.
    if (hasCutLines()) {
        showMessage(m_editorHost.window(), MessageIcon::Exclamation,
                    resourceText(Str::LinesCutCannotSave).arg(displayPath(pathName())));
        return false;
    }
    QString path = requestedPath;
    const bool saveAs = path.isEmpty();
    const QString oldSuffix = extensionOf(pathName());
    const QString oldName = QFileInfo(pathName()).fileName();
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
        // A hand-made choice stays unless the new name says something new: another extension,
        // or, for names without one, another name.
        if (extensionOf(path).compare(oldSuffix, Qt::CaseInsensitive) != 0 ||
            (oldSuffix.isEmpty() &&
             QFileInfo(path).fileName().compare(oldName, Qt::CaseInsensitive) != 0))
            chooseLanguageForFile(path, firstLineOf(ed->getLineText(0)));
        m_readOnly = false;
        ed->setReadOnly(false);
        if (m_backups)
            m_backups->init(pathName());
    }
    // A save that replaced the file by renaming leaves the watch on the old one.
    m_editorHost.documentWatcher().watch(this);
    m_savePointLost = false;
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
