// CRidereView's find and replace: target searches (by the search engine over the editor's own
// buffer where it knows the code page, by the component otherwise), Replace All as one undo
// step, Mark All, the seed text, quick search, Go To Line and the Search menu commands.
#include "app/mainframe.h"
#include "app/messages.h"
#include "app/penwrightapp.h"
#include "app/settings/framesettings.h"
#include "app/settings/settingkeys.h"
#include "app/settings/xmlsettingsstore.h"
#include "editor/mfcscintilla.h"
#include "editor/ridereview.h"
#include "resources/commandids.h"
#include "resources/stringids.h"
#include "search/findreplacecontroller.h"
#include "search/gotodialog.h"
#include "search/replaceplanner.h"
#include "search/searchrules.h"
#include "search/textsearch.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace pw {

namespace {

CMainFrame *mainFrame()
{
    PenwrightApp *app = PenwrightApp::instance();
    return app ? app->mainFrame() : nullptr;
}

// Progress shows in the status bar once a Replace All covers this much text.
constexpr long LongRunBytes = 4 << 20;
constexpr int ProgressSteps = 1000;
constexpr int ProgressPlanShare = 300; // of ProgressSteps, for finding the hits
// The most text one edit of Replace All rewrites to take several hits at once.
constexpr qsizetype GroupedEditBytes = 64 << 10;

// Whether any indicator (the marks of Mark All, among others) is in use; the component
// answers 0 for the end of a run of an indicator it holds nothing for.
bool hasIndicators(const CMFCScintilla *ed)
{
    for (int indicator = 0; indicator <= Sci::INDIC_MAX; ++indicator)
        if (ed->send(Sci::SCI_INDICATOREND, indicator, 0) != 0)
            return true;
    return false;
}

// Every edit costs the component a fixed amount of bookkeeping (a hundred bytes of undo record,
// position look-ups in the line table), so Replace All joins neighbouring hits into one edit that
// rewrites the text between them too. What the rewritten text carries goes with it: marks (Mark
// All) on it would vanish, so with any mark each hit is its own edit; bookmarks and folds belong
// to lines, so while there are any, edits never reach across a line end.
std::vector<search::EditGroup> editGroups(const CMFCScintilla *ed, const search::TextView &text,
                                          const std::vector<search::Match> &hits)
{
    if (hasIndicators(ed)) {
        std::vector<search::EditGroup> groups(hits.size());
        for (std::size_t i = 0; i < hits.size(); ++i)
            groups[i] = {i, i};
        return groups;
    }
    const bool lineState =
        ed->send(Sci::SCI_MARKERNEXT, 0, -1) >= 0 || ed->send(Sci::SCI_CONTRACTEDFOLDNEXT, 0) >= 0;
    return search::groupHits(text, hits, GroupedEditBytes, !lineState);
}

QByteArray charsOfClass(const CMFCScintilla *ed, unsigned int message)
{
    const long length = ed->send(message, 0, 0);
    QByteArray chars(int(std::max(length, 0L)) + 1, '\0');
    ed->send(message, 0, reinterpret_cast<long>(chars.data()));
    chars.truncate(std::max(length, 0L));
    return chars;
}

// The editor's text as the search engine reads it, straight from the component's buffer; none
// for a code page the engine does not know.
std::optional<search::TextView> engineText(const CMFCScintilla *ed)
{
    const long codePage = ed->send(Sci::SCI_GETCODEPAGE);
    if (codePage != 0 && codePage != Sci::SC_CP_UTF8)
        return std::nullopt;
    search::TextView view;
    view.length = ed->send(Sci::SCI_GETLENGTH);
    view.data = reinterpret_cast<const char *>(ed->send(Sci::SCI_GETCHARACTERPOINTER));
    view.utf8 = codePage == Sci::SC_CP_UTF8;
    view.classes = search::charClassesFrom(charsOfClass(ed, Sci::SCI_GETWORDCHARS),
                                           charsOfClass(ed, Sci::SCI_GETWHITESPACECHARS),
                                           charsOfClass(ed, Sci::SCI_GETPUNCTUATIONCHARS));
    if (!view.data && view.length > 0)
        return std::nullopt;
    return view;
}

// Target searches with the editor's current search flags, answering as SCI_SEARCHINTARGET
// does and leaving the component's target where it would. The text must not change while a
// finder is in use.
class TargetFinder
{
public:
    TargetFinder(CMFCScintilla *ed, const QByteArray &text) : m_ed(ed), m_text(text)
    {
        m_flags = int(ed->send(Sci::SCI_GETSEARCHFLAGS));
        m_view = engineText(ed);
        if (m_view)
            m_pattern = std::make_unique<search::SearchPattern>(text, m_flags, m_view->classes);
        if (m_pattern)
            m_searcher = std::make_unique<search::Searcher>(*m_view, *m_pattern);
    }

    bool find(long start, long end, search::Match &match)
    {
        match = {};
        if (m_text.isEmpty())
            return false;
        m_ed->send(Sci::SCI_SETTARGETRANGE, start, end);
        if (!m_searcher) {
            const long pos =
                m_ed->sendText(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(m_text.size()),
                               m_text.constData());
            if (pos < 0)
                return false;
            match = {pos, m_ed->send(Sci::SCI_GETTARGETEND)};
            return true;
        }
        // An invalid pattern or one that gives up finds nothing, as an invalid one does in
        // the component.
        if (m_searcher->find(start, end, match) != search::SearchStatus::Found)
            return false;
        m_ed->send(Sci::SCI_SETTARGETRANGE, long(match.start), long(match.end));
        return true;
    }

private:
    CMFCScintilla *m_ed;
    QByteArray m_text;
    int m_flags = 0;
    std::optional<search::TextView> m_view;
    std::unique_ptr<search::SearchPattern> m_pattern;
    std::unique_ptr<search::Searcher> m_searcher;
};

QByteArray withLineEnds(const CMFCScintilla *ed, const QByteArray &text)
{
    return search::expandLineEnds(text, int(ed->send(Sci::SCI_GETEOLMODE)));
}

// FindNext once "^n" is expanded.
long findNextExpanded(CMFCScintilla *ed, const QByteArray &text, bool up, bool wrap)
{
    const long length = ed->send(Sci::SCI_GETLENGTH);
    const long start =
        up ? ed->send(Sci::SCI_GETSELECTIONSTART) : ed->send(Sci::SCI_GETSELECTIONEND);
    TargetFinder finder(ed, text);
    search::Match match;
    bool found = finder.find(start, up ? 0 : length, match);
    if (!found && wrap)
        found = up ? finder.find(length, 0, match) : finder.find(0, length, match);
    if (!found)
        return -1;
    const long first = ed->send(Sci::SCI_LINEFROMPOSITION, long(match.start));
    const long last = ed->send(Sci::SCI_LINEFROMPOSITION, long(match.end));
    for (long line = first; line <= last; ++line)
        ed->send(Sci::SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    ed->send(Sci::SCI_SETSEL, long(match.start), long(match.end));
    return long(match.start);
}

// The component's own replace loop, used where the plan cannot stand in for it: a rectangular
// selection (whose lines the component works out as the text changes) and code pages the
// engine does not know. Modification events are off during the run.
// end comes back moved by the replacements.
int replaceStepByStep(CMFCScintilla *ed, const QByteArray &text, const QByteArray &replacement,
                      long start, long &end, bool rectangular, long &next)
{
    auto search = [&](long from, long to) {
        ed->send(Sci::SCI_SETTARGETRANGE, from, to);
        return ed->sendText(Sci::SCI_SEARCHINTARGET, static_cast<unsigned long>(text.size()),
                            text.constData());
    };
    long pos = search(start, end);
    if (pos == -1 || pos > end)
        return -1;
    const long replacementLength = replacement.size();
    CMFCScintilla::QuietChanges quiet(ed);
    int count = 0;
    next = start;
    while (pos != -1) {
        const long targetStart = ed->send(Sci::SCI_GETTARGETSTART);
        const long targetEnd = ed->send(Sci::SCI_GETTARGETEND);
        const long matchLength = targetEnd - targetStart;
        if (rectangular) {
            const long line = ed->send(Sci::SCI_LINEFROMPOSITION, pos);
            const long from = ed->send(Sci::SCI_GETLINESELSTARTPOSITION, line);
            const long to = ed->send(Sci::SCI_GETLINESELENDPOSITION, line);
            if (from < 0 || targetStart < from || targetEnd > to) {
                // Outside the rectangle on its line: not replaced, not counted.
                if (pos + 1 >= end)
                    break;
                pos = search(pos + 1, end);
                continue;
            }
        }
        const int after = int(ed->send(Sci::SCI_GETCHARAT, targetEnd) & 0xFF);
        const long step = matchLength == 0 && (after == '\r' || after == '\n') ? 1 : 0;
        ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacementLength),
                     replacement.constData());
        end += replacementLength - matchLength;
        next = pos + replacementLength + step;
        if (matchLength == 0)
            next = ed->send(Sci::SCI_POSITIONAFTER, next);
        ++count;
        if (next >= end)
            break;
        pos = search(next, end);
    }
    return count;
}

// Keeps the status bar's progress bar going for a long run and stops it when the run ends.
class RunProgress
{
public:
    explicit RunProgress(bool show) : m_frame(show ? mainFrame() : nullptr)
    {
        if (m_frame)
            m_frame->progress(true, ProgressSteps, 0);
    }
    ~RunProgress()
    {
        if (m_frame)
            m_frame->progress(false, 0, 0);
    }
    void set(long step)
    {
        if (m_frame)
            m_frame->progress(true, ProgressSteps, step);
    }

private:
    CMainFrame *m_frame;
};

} // namespace

void CRidereView::setSearchFlags(bool matchCase, bool wholeWord, bool regExp)
{
    m_editor->send(Sci::SCI_SETSEARCHFLAGS, (matchCase ? Sci::SCFIND_MATCHCASE : 0) |
                                                (wholeWord ? Sci::SCFIND_WHOLEWORD : 0) |
                                                (regExp ? Sci::SCFIND_REGEXP : 0));
}

long CRidereView::findNext(const QByteArray &text, bool up, bool wrap)
{
    return findNextExpanded(m_editor, withLineEnds(m_editor, text), up, wrap);
}

long CRidereView::replaceNext(const QByteArray &text, const QByteArray &replacement,
                              long lastResult)
{
    const QByteArray with = withLineEnds(m_editor, replacement);
    if (lastResult != -1) {
        // The selection is what the previous step found; it is not checked again.
        const long start = m_editor->send(Sci::SCI_GETSELECTIONSTART);
        const long end = m_editor->send(Sci::SCI_GETSELECTIONEND);
        m_editor->send(Sci::SCI_SETTARGETRANGE, start, end);
        m_editor->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(with.size()),
                           with.constData());
        m_editor->send(Sci::SCI_SETSEL, start, start + long(with.size()));
    }
    return findNextExpanded(m_editor, withLineEnds(m_editor, text), false, true);
}

int CRidereView::replaceAll(const QByteArray &find, const QByteArray &replacement, int flags,
                            bool inSelection)
{
    CMFCScintilla *ed = m_editor;
    ed->send(Sci::SCI_SETSEARCHFLAGS, flags);
    const QByteArray text = withLineEnds(ed, find);
    const QByteArray with = withLineEnds(ed, replacement);
    long start = 0;
    long end = ed->send(Sci::SCI_GETLENGTH);
    bool rectangular = false;
    if (inSelection) {
        const long selectionStart = ed->send(Sci::SCI_GETSELECTIONSTART);
        const long selectionEnd = ed->send(Sci::SCI_GETSELECTIONEND);
        if (selectionStart == selectionEnd)
            return -2;
        rectangular = ed->send(Sci::SCI_GETSELECTIONMODE) == Sci::SC_SEL_RECTANGLE;
        // Whole lines: from the start of the first line to the start of the line after the
        // last.
        start = ed->send(Sci::SCI_POSITIONFROMLINE,
                         ed->send(Sci::SCI_LINEFROMPOSITION, selectionStart));
        end = ed->send(Sci::SCI_POSITIONFROMLINE,
                       ed->send(Sci::SCI_LINEFROMPOSITION, selectionEnd) + 1);
        if (end < 0)
            end = ed->send(Sci::SCI_GETLENGTH);
    }
    if (text.isEmpty())
        return -1;
    if (ed->isReadOnly()) {
        // Nothing can change; say whether there was anything to replace.
        search::Match match;
        return TargetFinder(ed, text).find(start, end, match) ? 0 : -1;
    }

    long next = start;
    long scopeEnd = end;
    int count = 0;
    const std::optional<search::TextView> view = rectangular ? std::nullopt : engineText(ed);
    if (!view) {
        count = replaceStepByStep(ed, text, with, start, scopeEnd, rectangular, next);
        if (count < 0)
            return -1;
    } else {
        const search::SearchPattern pattern(text, flags, view->classes);
        RunProgress progress(end - start >= LongRunBytes);
        const search::ReplacePlan plan = search::planReplaceAll(
            *view, pattern, start, end, with, [&progress, start, end](qsizetype position) {
                progress.set(long((position - start) * ProgressPlanShare /
                                  std::max<qsizetype>(end - start, 1)));
            });
        if (plan.status != search::SearchStatus::Found)
            return -1;
        const std::size_t total = plan.hits.size();
        const std::vector<search::EditGroup> groups = editGroups(ed, *view, plan.hits);
        // Room for the whole growth at once; otherwise the buffer is copied each time it fills.
        qsizetype growth = 0;
        for (const search::Match &hit : plan.hits)
            growth += with.size() - hit.length();
        if (growth > 0)
            ed->send(Sci::SCI_ALLOCATE, long(ed->send(Sci::SCI_GETLENGTH) + growth + 4096));
        // The view and whoever listens are brought up to date once at the end.
        CMFCScintilla::QuietChanges quiet(ed);
        qsizetype delta = 0;
        std::string joined; // keeps its capacity from one edit to the next
        const std::size_t every = std::max<std::size_t>(groups.size() / 200, 1);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const search::Match &first = plan.hits[groups[g].first];
            const search::Match &last = plan.hits[groups[g].last];
            const long from = long(first.start + delta);
            const long to = long(last.end + delta);
            const char *replacement = with.constData();
            qsizetype replacementLength = with.size();
            if (groups[g].last > groups[g].first) {
                // The text between the hits is still as it was, only shifted by delta.
                const auto *current = reinterpret_cast<const char *>(
                    ed->send(Sci::SCI_GETRANGEPOINTER, from, to - from));
                joined.clear();
                for (std::size_t h = groups[g].first; h <= groups[g].last; ++h) {
                    joined.append(with.constData(), std::size_t(with.size()));
                    if (h < groups[g].last)
                        joined.append(current + (plan.hits[h].end - first.start),
                                      std::size_t(plan.hits[h + 1].start - plan.hits[h].end));
                }
                replacement = joined.data();
                replacementLength = qsizetype(joined.size());
            }
            ed->send(Sci::SCI_SETTARGETRANGE, from, to);
            ed->sendText(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(replacementLength),
                         replacement);
            delta += replacementLength - (to - from);
            if (g % every == 0)
                progress.set(ProgressPlanShare +
                             long(g * (ProgressSteps - ProgressPlanShare) / groups.size()));
        }
        count = int(std::min<std::size_t>(total, std::size_t(std::numeric_limits<int>::max())));
        next = long(plan.caret);
        scopeEnd = long(plan.scopeEnd);
    }

    if (inSelection)
        ed->send(Sci::SCI_SETSEL, start, scopeEnd);
    else
        ed->send(Sci::SCI_SETSEL, next, next);

    return count;
}

int CRidereView::markAll(const QByteArray &text)
{
    CMFCScintilla *ed = m_editor;
    const QByteArray pattern = withLineEnds(ed, text);
    const long caret = ed->send(Sci::SCI_GETCURRENTPOS);
    if (findNextExpanded(ed, pattern, false, true) == -1)
        return 0;
    const search::Match first{ed->send(Sci::SCI_GETTARGETSTART), ed->send(Sci::SCI_GETTARGETEND)};
    const long length = ed->send(Sci::SCI_GETLENGTH);
    // Markers leave the text alone, so one finder serves the whole run.
    TargetFinder finder(ed, pattern);
    search::Match hit = first;
    bool wrapped = false;
    for (long guard = 0; guard <= length + 1; ++guard) {
        const long line = ed->send(Sci::SCI_LINEFROMPOSITION, long(hit.start));
        const long lastLine = ed->send(Sci::SCI_LINEFROMPOSITION, long(hit.end));
        for (long l = line; l <= lastLine; ++l)
            if (!ed->send(Sci::SCI_GETLINEVISIBLE, l))
                ed->send(Sci::SCI_ENSUREVISIBLE, l);
        ed->toggleBookmark(line);

        // The next match downwards with wrap, moving past an empty match so nothing repeats.
        long from = long(hit.end);
        if (hit.length() == 0)
            from = ed->send(Sci::SCI_POSITIONAFTER, from);
        search::Match next;
        bool wrappedNow = false;
        if (!finder.find(from, length, next) || (hit.length() == 0 && from == hit.end)) {
            wrappedNow = true;
            if (!finder.find(0, length, next))
                break;
        }
        if (next.start == first.start)
            break;
        if (wrappedNow) {
            if (wrapped || next.start > first.start)
                break;
            wrapped = true;
        } else if (wrapped && next.start > first.start) {
            break;
        }
        hit = next;
    }
    ed->send(Sci::SCI_SETCURRENTPOS, caret);
    ed->send(Sci::SCI_SETSEL, caret, caret);
    return 1;
}

QByteArray CRidereView::seedText(bool seedMode)
{
    const QByteArray selection =
        m_editor->hasSelection() ? m_editor->getSelectedText() : QByteArray();
    CMainFrame *frame = mainFrame();
    XmlSettingsStore store(frame ? frame->settingsFile() : QString());
    const bool utf8 = m_editor->send(Sci::SCI_GETCODEPAGE) == Sci::SC_CP_UTF8;
    QByteArray remembered;
    if (seedMode && selection.isEmpty())
        remembered =
            m_editor->toEditorBytes(store.getString(settings::findReplace::LastSelectedValue));
    const search::Seed seed = search::seedText(
        selection, seedMode ? search::SeedMode::Seed : search::SeedMode::Quick, remembered, utf8);
    if (seed.remember)
        store.writeString(settings::findReplace::LastSelectedValue,
                          m_editor->fromEditorBytes(seed.text));
    return seed.text;
}

bool CRidereView::quickSearch(bool up)
{
    FindReplaceController *controller = FindReplaceController::of(mainFrame());
    QByteArray text = seedText(false);
    if (text.isEmpty() && controller)
        text = m_editor->toEditorBytes(controller->findText());
    if (text.isEmpty())
        return false;
    // Quick search ignores whatever options the dialogs hold.
    m_editor->send(Sci::SCI_SETSEARCHFLAGS, 0);
    if (findNext(text, up, !up) == -1) {
        showMessage(mainFrame() ? static_cast<QWidget *>(mainFrame()) : this,
                    MessageIcon::Information, Str::SearchTextNotFound);
        return false;
    }
    if (controller)
        controller->setFindText(m_editor->fromEditorBytes(text));
    return true;
}

void CRidereView::gotoLine()
{
    const long lines = m_editor->send(Sci::SCI_GETLINECOUNT);
    CGotoDialog dialog(lines, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_editor->send(Sci::SCI_GOTOLINE, long(search::gotoLineIndex(dialog.lineNumber(), lines)));
}

void CRidereView::registerSearchCommands()
{
    const auto always = CommandTarget::UpdateHandler();
    onCommand(
        Cmd::EditFind,
        [this] {
            if (FindReplaceController *c = FindReplaceController::of(mainFrame()))
                c->showFindDialog(this, m_editor->fromEditorBytes(seedText(true)));
        },
        always);
    onCommand(
        Cmd::EditReplace,
        [this] {
            if (FindReplaceController *c = FindReplaceController::of(mainFrame()))
                c->showReplaceDialog(this, m_editor->fromEditorBytes(seedText(true)));
        },
        always);
    onCommand(
        Cmd::FindNext, [this] { quickSearch(false); }, always);
    onCommand(
        Cmd::FindPrevious, [this] { quickSearch(true); }, always);
    onCommand(
        Cmd::GotoLine, [this] { gotoLine(); }, always);
}

} // namespace pw
