// CPropertyPage and the controls the preference pages share: colour buttons, number edits.
#pragma once

#include "chrome/propertysheet.h"
#include "preferences/engine/numberrules.h"

#include <QPushButton>
#include <QWidget>
#include <functional>

class QLineEdit;
class QSpinBox;

namespace pw {

// One page of the properties sheet. It copies its values in when it is made and writes them back
// only from apply(); any change marks it modified, which enables the sheet's Apply.
class CPropertyPage : public PropertySheetPage
{
    Q_OBJECT
public:
    using PropertySheetPage::PropertySheetPage;

    // A modified page writes its values back and applies them to the open windows; the page is
    // then unmodified again. An unmodified one writes nothing.
    bool applySheetPage() override;

protected:
    virtual void apply() = 0;
    // Connects the usual change signals of a check box, radio button, slider, combo box or line
    // edit to setModified().
    void watch(QWidget *control);
};

// A button showing a colour (0x00BBGGRR); clicking it asks for another one.
class ColourButton : public QPushButton
{
    Q_OBJECT
public:
    ColourButton(const QString &text, const char *name, QWidget *parent);

    quint32 colour() const { return m_colour; }
    // Shows colour without reporting a change.
    void setColour(quint32 colour);
    // The user's choice: shown and reported through colourChosen when it differs.
    void chooseColour(quint32 colour);

    // Tests answer the colour dialog through this.
    using PickHook = std::function<bool(quint32 &colour)>;
    static void setPickHook(PickHook hook);

signals:
    void colourChosen(quint32 colour);

private:
    void pick();

    quint32 m_colour = 0;
};

// An edit with a spin beside it, bound by a NumberEditRule: a typed text is taken, raised to 1 or
// refused as the rule says, and the spin follows; a spin change writes its value into the edit.
class NumberEdit : public QWidget
{
    Q_OBJECT
public:
    NumberEdit(const prefs::NumberEditRule &rule, const char *name, int value, QWidget *parent);

    int value() const { return m_value; }
    QLineEdit *edit() const { return m_edit; }
    QSpinBox *spin() const { return m_spin; }

signals:
    void valueChanged(int value);

private:
    void textChanged(const QString &text);

    prefs::NumberEditRule m_rule;
    QLineEdit *m_edit;
    QSpinBox *m_spin;
    int m_value;
    bool m_busy = false;
};

// A folder edit with a "..." button beside it that browses for the folder.
QWidget *folderEditRow(QLineEdit *edit, const char *browseName, QWidget *parent);

// Colours of the settings file and of Qt.
QColor toQColor(quint32 colour);
quint32 fromQColor(const QColor &colour);

} // namespace pw
