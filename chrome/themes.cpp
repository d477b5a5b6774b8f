// The five visual themes: a Qt style with its palette and the look of the command bars.
#include "chrome/themes.h"

#include "resources/resources.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>
#include <QWidget>
#include <algorithm>

namespace pw {

namespace {

// What sets one theme apart. Invalid colours mean "leave it to the base style".
struct Look
{
    int id;
    const char *baseStyle;
    QColor window;
    QColor button;
    QColor base;
    QColor highlight;
    QColor highlightedText;
    // Toolbars: a gradient across the bar (top to bottom on a horizontal bar) and a closing line.
    QColor barStart;
    QColor barEnd;
    QColor barLine;
    // The menu bar's gradient, left to right when menuAcross is set, else top to bottom.
    QColor menuStart;
    QColor menuEnd;
    bool menuAcross;
    // Toolbar buttons under the mouse, pressed, and checked.
    QColor hotFill;
    QColor pressedFill;
    QColor checkedFill;
    QColor hotBorder;
};

QColor rgb(QRgb value)
{
    return QColor::fromRgb(value);
}

const Look kLooks[] = {
    // Flat grey classic controls with navy selections.
    {720,
     "Windows",
     rgb(0xd4d0c8),
     rgb(0xd4d0c8),
     rgb(0xffffff),
     rgb(0x0a246a),
     rgb(0xffffff),
     {},
     {},
     {},
     {},
     {},
     false,
     {},
     {},
     {},
     {}},
    // Warm beige with soft bars and blue hot buttons.
    {721,
     "Fusion",
     rgb(0xece9d8),
     rgb(0xf1efe2),
     rgb(0xffffff),
     rgb(0x316ac5),
     rgb(0xffffff),
     rgb(0xfbfaf6),
     rgb(0xe3dfcd),
     rgb(0xc5c2b2),
     {},
     {},
     false,
     rgb(0xc1d2ee),
     rgb(0x98b5e2),
     rgb(0xe1e6ee),
     rgb(0x316ac5)},
    // The light, silvery bars of the 2005 developer tools, the menu bar shaded across.
    {722, "Fusion", rgb(0xeeede5), rgb(0xf7f6f1), rgb(0xffffff), rgb(0x3d6fc4), rgb(0xffffff),
     rgb(0xffffff), rgb(0xd8d5c8), rgb(0xb8b5a6), rgb(0xe5e4d8), rgb(0xf9f8f3), true, rgb(0xc1d2ee),
     rgb(0x98b5e2), rgb(0xe1e6ee), rgb(0x316ac5)},
    // Flat light toolbars over a grey frame; slate-blue hot items and selections.
    {723, "Fusion", rgb(0xdedbd4), rgb(0xf2f0eb), rgb(0xffffff), rgb(0xb6bdd2), rgb(0x000000),
     rgb(0xf6f5f2), rgb(0xf6f5f2), rgb(0xc9c6bd), rgb(0xdedbd4), rgb(0xdedbd4), false,
     rgb(0xb6bdd2), rgb(0x8592b5), rgb(0xd4d5d8), rgb(0x0a246a)},
    // Blue gradients with orange hot buttons.
    {724, "Fusion", rgb(0xd6e5f8), rgb(0xe3eefc), rgb(0xffffff), rgb(0x316ac5), rgb(0xffffff),
     rgb(0xe3effe), rgb(0x8db2e8), rgb(0x6a8ccb), rgb(0x9ebef5), rgb(0xc4daf9), true, rgb(0xffeec2),
     rgb(0xfe914e), rgb(0xffd58c), rgb(0x000080)},
};

int s_currentTheme = 0;

const Look &lookFor(int themeId)
{
    for (const Look &look : kLooks) {
        if (look.id == themeId)
            return look;
    }
    return lookFor(kThemeDefault);
}

QPalette paletteFor(const Look &look)
{
    // QPalette's two-colour constructor derives the bevel shades and the disabled texts.
    QPalette palette(look.button, look.window);
    palette.setColor(QPalette::Base, look.base);
    palette.setColor(QPalette::AlternateBase, look.window.lighter(108));
    palette.setColor(QPalette::Highlight, look.highlight);
    palette.setColor(QPalette::HighlightedText, look.highlightedText);
    palette.setColor(QPalette::ToolTipBase, QColor(0xffffe1));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Link, QColor(0x0000ff));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, Qt::black);
        palette.setColor(group, QPalette::WindowText, Qt::black);
        palette.setColor(group, QPalette::ButtonText, Qt::black);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, look.window.darker(130));
    return palette;
}

class ThemeStyle : public QProxyStyle
{
public:
    ThemeStyle(const Look &look, QStyle *base) : QProxyStyle(base), m_look(look)
    {
        setObjectName(themeName(look.id));
    }

    QPalette standardPalette() const override { return paletteFor(m_look); }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        switch (element) {
        case CE_ToolBar:
            if (m_look.barStart.isValid()) {
                const bool horizontal = option->state & State_Horizontal;
                const QRect r = option->rect;
                QLinearGradient gradient(r.topLeft(), horizontal ? r.bottomLeft() : r.topRight());
                gradient.setColorAt(0, m_look.barStart);
                gradient.setColorAt(1, m_look.barEnd);
                painter->fillRect(r, gradient);
                painter->setPen(m_look.barLine);
                if (horizontal)
                    painter->drawLine(r.bottomLeft(), r.bottomRight());
                else
                    painter->drawLine(r.topRight(), r.bottomRight());
                return;
            }
            break;
        case CE_MenuBarEmptyArea:
            if (m_look.menuStart.isValid()) {
                painter->fillRect(option->rect, menuBrush(option->rect, widget));
                return;
            }
            break;
        case CE_MenuBarItem:
            if (m_look.menuStart.isValid()) {
                // The base style fills each item with the window brush: hand it the bar's
                // gradient so the items do not stand out as plain patches.
                QStyleOptionMenuItem item;
                if (const auto *source = qstyleoption_cast<const QStyleOptionMenuItem *>(option))
                    item = *source;
                else
                    break;
                item.palette.setBrush(QPalette::Window, menuBrush(option->rect, widget));
                QProxyStyle::drawControl(element, &item, painter, widget);
                return;
            }
            break;
        default:
            break;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelButtonTool && m_look.hotFill.isValid() && widget &&
            qobject_cast<const QToolBar *>(widget->parentWidget()) &&
            (option->state & State_Enabled)) {
            const bool down = option->state & State_Sunken;
            const bool on = option->state & State_On;
            const bool hot = option->state & State_MouseOver;
            if (down || on || hot) {
                QColor fill = m_look.hotFill;
                if (down)
                    fill = m_look.pressedFill;
                else if (on && !hot)
                    fill = m_look.checkedFill;
                const QRect r = option->rect.adjusted(0, 0, -1, -1);
                painter->save();
                painter->setPen(m_look.hotBorder);
                painter->setBrush(fill);
                painter->drawRect(r);
                painter->restore();
                return;
            }
        }
        if (element == PE_IndicatorItemViewItemCheck) {
            // The classic style draws the tick in the selection's text colour, which vanishes
            // on the white box of a selected row; keep box and tick in the normal colours.
            QStyleOption copy = *option;
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                copy.palette.setColor(group, QPalette::HighlightedText,
                                      option->palette.color(group, QPalette::Text));
                copy.palette.setColor(group, QPalette::Highlight,
                                      option->palette.color(group, QPalette::Base));
            }
            QProxyStyle::drawPrimitive(element, &copy, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    QBrush menuBrush(const QRect &fallback, const QWidget *widget) const
    {
        const QRect r = widget ? widget->rect() : fallback;
        QLinearGradient gradient(r.topLeft(), m_look.menuAcross ? r.topRight() : r.bottomLeft());
        gradient.setColorAt(0, m_look.menuStart);
        gradient.setColorAt(1, m_look.menuEnd);
        return QBrush(gradient);
    }

    Look m_look;
};

} // namespace

bool isThemeId(int themeId)
{
    return themeId >= kThemeFirst && themeId <= kThemeLast;
}

int applyTheme(int themeId)
{
    if (!isThemeId(themeId))
        themeId = kThemeDefault;
    const Look &look = lookFor(themeId);
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QStyle *base = QStyleFactory::create(QString::fromLatin1(look.baseStyle));
        if (!base)
            base = QStyleFactory::create(QStringLiteral("Fusion"));
        auto *style = new ThemeStyle(look, base);
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    }
    s_currentTheme = themeId;
    return themeId;
}

int currentTheme()
{
    return s_currentTheme;
}

QString themeName(int themeId)
{
    return QString::fromUtf8(res::string(isThemeId(themeId) ? themeId : kThemeDefault));
}

double dialogOpacity(int percent)
{
    const int clamped = std::clamp(percent, 25, 100);
    const int alpha = clamped * 255 / 100;
    return alpha / 255.0;
}

void applyDialogTransparency(QWidget *dialog, bool transparent, int percent)
{
    if (!dialog)
        return;
    dialog->setWindowOpacity(transparent ? dialogOpacity(percent) : 1.0);
}

} // namespace pw
