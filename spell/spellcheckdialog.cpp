// CSpellCheckDialog: the speller's run over the editor's text, its suggestions and the four
// buttons.
#include "spell/spellcheckdialog.h"

#include "chrome/appicon.h"
#include "chrome/themes.h"
#include "editor/mfcscintilla.h"
#include "framework/host.h"
#include "framework/messages.h"
#include "resources/stringids.h"
#include "settings/framesettings.h"
#include "settings/registrysettings.h"
#include "settings/windowplacement.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <atomic>

namespace pw {

namespace {

const QString PlacementName = QStringLiteral("SpellCheckDlg");
// A search for the next word that takes longer than this shows its progress and a Stop button.
qint64 quietRunMs = 300;
// Bytes of context shown on each side of the word.
constexpr qint64 ContextBytes = 60;

QString &homeDirForTesting()
{
    static QString folder;
    return folder;
}

// The editor's text as the run reads it.
class EditorText final : public spell::SpellText
{
public:
    explicit EditorText(CMFCScintilla *editor) : m_editor(editor) {}
    qint64 length() const override { return m_editor->send(Sci::SCI_GETLENGTH); }
    int lineCount() const override { return int(m_editor->send(Sci::SCI_GETLINECOUNT)); }
    qint64 lineStart(int line) const override
    {
        const qint64 start = m_editor->send(Sci::SCI_POSITIONFROMLINE, line);
        return start < 0 ? length() : start;
    }
    qint64 lineEnd(int line) const override
    {
        return m_editor->send(Sci::SCI_GETLINEENDPOSITION, line);
    }
    int lineOf(qint64 position) const override
    {
        return int(m_editor->send(Sci::SCI_LINEFROMPOSITION, position));
    }
    void copy(qint64 from, qint64 to, char *out) const override
    {
        const QByteArray bytes = m_editor->textRange(from, to);
        std::copy(bytes.constBegin(), bytes.constEnd(), out);
    }

private:
    CMFCScintilla *m_editor;
};

QString plain(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text.toHtmlEscaped();
}

} // namespace

CSpellCheckDialog::CSpellCheckDialog(Host &host, CMFCScintilla *editor, QWidget *parent)
    : QDialog(parent), m_host(host), m_editor(editor)
{
    setObjectName(QStringLiteral("SpellCheckDialog"));
    setWindowTitle(resourceText(Str::SpellCheckerTitle));
    setWindowIcon(appIcon());

    auto *notInDictionary = new QLabel(QStringLiteral("Not in Dictionary:"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("notInDictionary"));
    notInDictionary->setBuddy(m_edit);
    m_context = new QLabel(this);
    m_context->setObjectName(QStringLiteral("context"));
    m_context->setTextFormat(Qt::RichText);
    m_context->setWordWrap(true);
    m_listLabel = new QLabel(QStringLiteral("Suggestions:"), this);
    m_listLabel->setObjectName(QStringLiteral("suggestionsLabel"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("suggestions"));
    m_listLabel->setBuddy(m_list);

    const auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *ignoreButton = button(QStringLiteral("Ignore"), "ignore");
    QPushButton *ignoreAllButton = button(QStringLiteral("Ignore All"), "ignoreAll");
    QPushButton *addButton = button(QStringLiteral("Add to Dictionary"), "addToDictionary");
    m_change = button(QStringLiteral("Change"), "change");
    QPushButton *closeButton = button(QStringLiteral("Close"), "close");

    // The edit stretches in width, the list in both directions; the buttons keep to the right
    // and Close to the bottom right.
    auto *grid = new QGridLayout(this);
    grid->addWidget(notInDictionary, 0, 0);
    grid->addWidget(m_edit, 1, 0);
    grid->addWidget(m_context, 2, 0);
    grid->addWidget(m_listLabel, 3, 0);
    grid->addWidget(m_list, 4, 0, 6, 1);
    grid->addWidget(ignoreButton, 1, 1);
    grid->addWidget(ignoreAllButton, 2, 1);
    grid->addWidget(addButton, 4, 1);
    grid->addWidget(m_change, 5, 1);
    grid->addWidget(closeButton, 9, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(8, 1);

    connect(ignoreButton, &QPushButton::clicked, this, &CSpellCheckDialog::ignore);
    connect(ignoreAllButton, &QPushButton::clicked, this, &CSpellCheckDialog::ignoreAll);
    connect(addButton, &QPushButton::clicked, this, &CSpellCheckDialog::addToDictionary);
    connect(m_change, &QPushButton::clicked, this, &CSpellCheckDialog::change);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textEdited, this, &CSpellCheckDialog::editChanged);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSpellCheckDialog::suggestionChosen);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_change->isEnabled())
            change();
    });

    resize(460, 300);
    if (const auto placement = RegistrySettings().dialogPlacement(PlacementName)) {
        const QRect rect = placement->normalGeometry();
        if (rect.isValid())
            setGeometry(rect);
    }
    const FrameSettings &s = m_host.settings();
    applyDialogTransparency(this, s.transparentDialogs, s.transparentPercent);
}

void CSpellCheckDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_setUp)
        return;
    m_setUp = true;
    showSuggestions();
    m_edit->setFocus();
}

CSpellCheckDialog::~CSpellCheckDialog()
{
    cleanup();
}

void CSpellCheckDialog::setHomeDirForTesting(const QString &folder)
{
    homeDirForTesting() = folder;
}

void CSpellCheckDialog::setQuietRunMs(qint64 ms)
{
    quietRunMs = ms;
}

bool CSpellCheckDialog::initialize(const QString &prefix, const QString &dictionary)
{
    spell::SpellerOptions options;
    options.prefix = prefix;
    options.dictionary = dictionary;
    options.homeDir = homeDirForTesting();
    if (!m_speller.initialize(options))
        return false;
    if (m_editor) {
        m_text = std::make_unique<EditorText>(m_editor);
        m_run = std::make_unique<spell::SpellRun>(*m_text, m_speller);
        m_run->setSelection(m_editor->send(Sci::SCI_GETSELECTIONSTART),
                            m_editor->send(Sci::SCI_GETSELECTIONEND));
    }
    return true;
}

bool CSpellCheckDialog::nextMisspelling(bool interactive)
{
    if (!m_run)
        return false;
    // A long search reports to the status bar, which can stop it.
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<Progress> progress;
    std::atomic<bool> cancel{false};
    spell::RunControl control;
    control.cancel = &cancel;
    control.progress = [&](qint64 position) {
        if (!progress) {
            if (timer.elapsed() < quietRunMs)
                return;
            progress = m_host.startProgress(
                std::max<qint64>(m_run->rangeEnd() - m_run->rangeStart(), 1), true);
        }
        progress->step(std::max<qint64>(position - m_run->rangeStart(), 0));
        if (progress->stopRequested())
            cancel.store(true, std::memory_order_relaxed);
    };
    const std::optional<spell::SpellHit> hit = m_run->next(interactive, control);
    progress.reset();

    if (!hit) {
        m_word.clear();
        if (interactive)
            accept();
        return false;
    }
    m_editor->send(Sci::SCI_SETSEL, hit->position, hit->position + hit->length);
    m_editor->send(Sci::SCI_SCROLLCARET);
    m_word = QString::fromUtf8(m_editor->textRange(hit->position, hit->position + hit->length));
    m_replacement = m_word;
    showContext(hit->position, hit->length);
    if (interactive) {
        showSuggestions();
        m_edit->setFocus();
    }
    return true;
}

void CSpellCheckDialog::showSuggestions()
{
    m_list->setEnabled(false);
    m_listLabel->setEnabled(false);
    m_change->setEnabled(false);
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    if (m_word.isEmpty())
        return;
    m_edit->setText(m_word);
    m_replacement = m_word;
    const std::vector<std::string> words = m_speller.suggest(m_word.toUtf8().toStdString());
    for (const std::string &w : words)
        m_list->addItem(QString::fromUtf8(w.data(), qsizetype(w.size())));
    if (!words.empty()) {
        m_list->setEnabled(true);
        m_listLabel->setEnabled(true);
        m_change->setEnabled(m_editor && !m_editor->isReadOnly());
    } else {
        m_list->addItem(resourceText(Str::SpellNoSuggestions));
    }
}

void CSpellCheckDialog::showContext(qint64 position, qint64 length)
{
    // The word's line around it, cut between characters rather than inside one.
    const auto continuation = [this](qint64 at) {
        return (m_editor->send(Sci::SCI_GETCHARAT, at) & 0xC0) == 0x80;
    };
    const int line = int(m_editor->send(Sci::SCI_LINEFROMPOSITION, position));
    const qint64 lineStart = m_editor->send(Sci::SCI_POSITIONFROMLINE, line);
    const qint64 wordEnd = position + length;
    const qint64 lineEnd =
        std::max<qint64>(m_editor->send(Sci::SCI_GETLINEENDPOSITION, line), wordEnd);
    qint64 from = std::max(lineStart, position - ContextBytes);
    while (from < position && continuation(from))
        ++from;
    qint64 to = std::min(lineEnd, wordEnd + ContextBytes);
    while (to > wordEnd && continuation(to))
        --to;
    m_context->setText(plain(m_editor->textRange(from, position)) + QStringLiteral("<b>") +
                       plain(m_editor->textRange(position, wordEnd)) + QStringLiteral("</b>") +
                       plain(m_editor->textRange(wordEnd, to)));
}

void CSpellCheckDialog::editChanged(const QString &text)
{
    {
        const QSignalBlocker blocker(m_list);
        m_list->clearSelection();
    }
    m_replacement = text;
    m_list->setEnabled(false);
    m_listLabel->setEnabled(false);
    m_change->setEnabled(m_replacement != m_word && m_editor && !m_editor->isReadOnly());
}

void CSpellCheckDialog::suggestionChosen()
{
    const QList<QListWidgetItem *> chosen = m_list->selectedItems();
    if (!chosen.isEmpty() && m_list->isEnabled())
        m_replacement = chosen.constFirst()->text();
}

void CSpellCheckDialog::ignore()
{
    nextMisspelling(true);
}

void CSpellCheckDialog::ignoreAll()
{
    if (!m_speller.addToSession(m_replacement.toUtf8().toStdString())) {
        showMessage(this, MessageIcon::Exclamation, m_speller.errorText());
        return;
    }
    nextMisspelling(true);
}

void CSpellCheckDialog::addToDictionary()
{
    if (!m_speller.addToPersonal(m_replacement.toUtf8().toStdString())) {
        showMessage(this, MessageIcon::Exclamation, m_speller.errorText());
        return;
    }
    nextMisspelling(true);
}

void CSpellCheckDialog::change()
{
    if (!m_editor || m_editor->isReadOnly())
        return;
    const qint64 start = m_editor->send(Sci::SCI_GETSELECTIONSTART);
    const qint64 selected = m_editor->send(Sci::SCI_GETSELECTIONEND) - start;
    const QByteArray bytes = m_replacement.toUtf8();
    m_editor->sendText(Sci::SCI_REPLACESEL, 0, bytes.constData());
    m_edits.push_back({start, selected, bytes.size()});
    m_run->changed(bytes.size() - selected);
    nextMisspelling(true);
}

qint64 CSpellCheckDialog::mapPosition(qint64 position) const
{
    for (const Edit &e : m_edits) {
        if (position >= e.position + e.oldLength)
            position += e.newLength - e.oldLength;
        else if (position > e.position)
            position = e.position + std::min(position - e.position, e.newLength);
    }
    return position;
}

bool CSpellCheckDialog::fillDictionaryList(QComboBox *combo, QString prefix, QString current) const
{
    combo->clear();
    if (prefix.isEmpty())
        prefix = m_host.settings().dictionaryPath;
    if (current.isEmpty())
        current = m_host.settings().dictionary;
    // A folder without dictionaries (the default one on a fresh system) lists the system's.
    const QStringList names =
        spell::Speller::dictionaryNames(spell::Speller::effectivePrefix(prefix));
    combo->addItems(names);
    const qsizetype at = names.indexOf(current);
    combo->setCurrentIndex(names.isEmpty() ? -1 : int(std::max<qsizetype>(at, 0)));
    return !names.isEmpty();
}

void CSpellCheckDialog::done(int result)
{
    RegistrySettings().setDialogPlacement(PlacementName,
                                          WindowPlacement::fromGeometry(normalGeometry(), false));
    cleanup();
    QDialog::done(result);
}

void CSpellCheckDialog::cleanup()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    if (!m_speller.finish())
        showMessage(parentWidget() ? parentWidget() : this, MessageIcon::Exclamation,
                    resourceText(Str::SpellPersonalNotSaved).arg(m_speller.errorText()));
}

} // namespace pw
