// CPageSyntaxColour: file types, their styles and colours, the default language, and the sample.
#include "preferences/pagesyntaxcolour.h"

#include "chrome/dialogcontrols.h"
#include "editor/editorhost.h"
#include "framework/messages.h"
#include "resources/stringids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>

namespace pw {

CSampleWnd::CSampleWnd(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sample"));
}

void CSampleWnd::setColours(quint32 foreground, quint32 background)
{
    if (foreground == m_foreground && background == m_background)
        return;
    m_foreground = foreground;
    m_background = background;
    update();
}

QSize CSampleWnd::sizeHint() const
{
    return {200, 48};
}

void CSampleWnd::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, toQColor(m_background));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(frame);
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(toQColor(m_foreground));
    painter.drawText(frame, Qt::AlignCenter, resourceText(Str::SyntaxSampleText));
}

CPageSyntaxColour::CPageSyntaxColour(EditorHost &host, QWidget *parent)
    : CPropertyPage(parent), m_host(host), m_fileType(new QComboBox(this)),
      m_styles(new QListWidget(this)),
      m_foreground(new ColourButton(QStringLiteral("Foreground..."), "foreground", this)),
      m_background(new ColourButton(QStringLiteral("Background..."), "background", this)),
      m_defaultBackground(
          new ColourButton(QStringLiteral("Background Color..."), "defaultBackground", this)),
      m_sample(new CSampleWnd(this)),
      m_default(dialogCheckBox(QStringLiteral("&Use as the Penwright default text coloring format"),
                               "defaultFormat", false, this))
{
    m_languages.load(host.languages().folder());
    m_fileType->setObjectName(QStringLiteral("fileType"));
    m_styles->setObjectName(QStringLiteral("styles"));
    for (int i = 0; i < m_languages.count(); ++i)
        m_fileType->addItem(m_languages.get(i).menuLabel, i);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("File Type:"), this), 0, 0);
    layout->addWidget(m_fileType, 0, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Styles:"), this), 1, 0, 1, 3);
    layout->addWidget(m_styles, 2, 0, 4, 2);
    layout->addWidget(m_foreground, 2, 2);
    layout->addWidget(m_background, 3, 2);
    layout->addWidget(m_defaultBackground, 4, 2);
    layout->addWidget(m_sample, 6, 0, 1, 3);
    layout->addWidget(m_default, 7, 0, 1, 3);

    connect(m_fileType, &QComboBox::currentIndexChanged, this, &CPageSyntaxColour::chooseLanguage);
    connect(m_styles, &QListWidget::currentRowChanged, this, &CPageSyntaxColour::chooseStyle);
    connect(m_foreground, &ColourButton::colourChosen, this, [this](quint32 colour) {
        const int style = styleIndex();
        editLanguage([&](LanguageRecord &record) { record.setForeground(style, colour); });
    });
    connect(m_background, &ColourButton::colourChosen, this, [this](quint32 colour) {
        const int style = styleIndex();
        editLanguage([&](LanguageRecord &record) { record.setBackground(style, colour); });
    });
    connect(m_defaultBackground, &ColourButton::colourChosen, this, [this](quint32 colour) {
        editLanguage([&](LanguageRecord &record) { record.setDefaultBackground(colour); });
    });
    connect(m_default, &QCheckBox::toggled, this, [this](bool on) {
        // At most one language is the default: unchecking leaves none.
        for (int i = 0; i < m_languages.count(); ++i) {
            LanguageRecord record = m_languages.get(i);
            if (record.isDefault) {
                record.setDefault(false);
                m_languages.replace(i, record);
            }
        }
        editLanguage([on](LanguageRecord &record) { record.setDefault(on); });
    });
    chooseLanguage(m_fileType->currentIndex());
}

int CPageSyntaxColour::styleIndex() const
{
    const QListWidgetItem *item = m_styles->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

template<typename Edit> void CPageSyntaxColour::editLanguage(Edit edit)
{
    const int index = m_fileType->currentIndex();
    if (index < 0)
        return;
    LanguageRecord record = m_languages.get(index);
    edit(record);
    m_languages.replace(index, record);
    showSample();
    setModified();
}

void CPageSyntaxColour::chooseLanguage(int index)
{
    const LanguageRecord record = m_languages.get(index);
    {
        const QSignalBlocker quiet(m_styles);
        m_styles->clear();
        if (index >= 0) {
            for (int i = 0; i < record.styleCount; ++i) {
                auto *item = new QListWidgetItem(record.styles[i].name, m_styles);
                item->setData(Qt::UserRole, i);
            }
        }
    }
    {
        const QSignalBlocker quiet(m_default);
        m_default->setChecked(index >= 0 && record.isDefault);
    }
    m_default->setEnabled(index >= 0);
    m_defaultBackground->setEnabled(index >= 0);
    m_defaultBackground->setColour(record.background);
    m_styles->setCurrentRow(m_styles->count() > 0 ? 0 : -1);
    chooseStyle(m_styles->currentRow());
}

void CPageSyntaxColour::chooseStyle(int)
{
    const int style = styleIndex();
    m_foreground->setEnabled(style >= 0);
    m_background->setEnabled(style >= 0);
    showSample();
}

void CPageSyntaxColour::showSample()
{
    const LanguageRecord record = m_languages.get(m_fileType->currentIndex());
    const int style = styleIndex();
    if (style < 0 || style >= record.styleCount) {
        m_sample->setColours(0, record.background);
        return;
    }
    const StyleEntry &entry = record.styles[style];
    m_foreground->setColour(entry.foreground);
    m_background->setColour(entry.background);
    m_sample->setColours(entry.foreground, entry.background);
}

void CPageSyntaxColour::apply()
{
    bool saved = false;
    for (int i = 0; i < m_languages.count(); ++i) {
        LanguageRecord record = m_languages.get(i);
        if (!record.modified)
            continue;
        record.save(); // a file gone or broken meanwhile is left alone, without a word
        record.modified = false;
        m_languages.replace(i, record);
        saved = true;
    }
    if (saved)
        m_host.reloadLanguages(true);
}

} // namespace pw
