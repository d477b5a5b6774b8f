// Dialog buttons and check boxes: object names and the default-button rule.
#include "chrome/dialogcontrols.h"

#include <QCheckBox>
#include <QPushButton>

namespace pw {

QPushButton *dialogButton(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox *dialogCheckBox(const QString &text, const char *name, bool checked, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace pw
