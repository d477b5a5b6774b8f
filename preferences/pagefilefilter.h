// CPageFileFilter: "File Dialog Filters", the file dialogs' filter entries edited in place.
#pragma once

#include "preferences/propertypage.h"

#include <QStringList>
#include <functional>

class QLineEdit;
class QTreeWidget;

namespace pw {

class EditorHost;

// Works on the "FileFilter" section of the settings file directly: Add and Delete write at once,
// so this page has nothing to apply.
class CPageFileFilter : public CPropertyPage
{
    Q_OBJECT
public:
    explicit CPageFileFilter(EditorHost &host, QWidget *parent = nullptr);

    void addFilter();
    void deleteFilters();
    void testFilters();

    // Tests see the Test dialog's filter list through this instead of the dialog.
    using TestHook = std::function<void(const QStringList &qtFilters)>;
    static void setTestHook(TestHook hook);

protected:
    void apply() override {}

private:
    void fill();
    QStringList listedKeys() const;

    EditorHost &m_host;
    QTreeWidget *m_list;
    QLineEdit *m_label;
    QLineEdit *m_extension;
};

} // namespace pw
