// CPageSyntaxColour: "Syntax Coloring", the languages' colours edited on a private copy of the list.
#pragma once

#include "languages/engine/languagelist.h"
#include "preferences/propertypage.h"

class QCheckBox;
class QComboBox;
class QListWidget;

namespace pw {

class EditorHost;

// The sample: "AaBbCcXxYyZz" in Courier New 10 in a style's colours, in a frame.
class CSampleWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CSampleWnd(QWidget *parent = nullptr);
    void setColours(quint32 foreground, quint32 background);
    quint32 foreground() const { return m_foreground; }
    quint32 background() const { return m_background; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    quint32 m_foreground = 0;
    quint32 m_background = 0xFFFFFF;
};

// Edits reach only the page's own list; apply saves the records it changed into their files, and
// the program then loads its languages again and colours every open text anew.
class CPageSyntaxColour : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPageSyntaxColour(EditorHost &host, QWidget *parent = nullptr);

    const LanguageList &languages() const { return m_languages; }

protected:
    void apply() override;

private:
    void chooseLanguage(int index);
    void chooseStyle(int row);
    void showSample();
    int styleIndex() const;
    // Takes a copy of the chosen language, lets edit change it, and puts it back.
    template<typename Edit> void editLanguage(Edit edit);

    EditorHost &m_host;
    LanguageList m_languages;
    QComboBox *m_fileType;
    QListWidget *m_styles;
    ColourButton *m_foreground;
    ColourButton *m_background;
    ColourButton *m_defaultBackground;
    CSampleWnd *m_sample;
    QCheckBox *m_default;
};

} // namespace pw
