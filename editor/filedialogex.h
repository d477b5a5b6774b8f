// CFileDialogEx: the Open and Save As dialogs with encoding, line-ending and open-as choices.
#pragma once

#include "app/penwrightapp.h"

#include <QString>
#include <functional>

class QWidget;

namespace pw {

class CFileDialogEx
{
public:
    struct SaveChoice
    {
        QString path; // already carries the default extension where the rule adds one
        int encoding = 3;
        int lineEnding = 0;
    };
    // Tests answer the dialogs through these hooks instead of showing them.
    using SaveHook = std::function<bool(SaveChoice &, const QString &proposed)>;
    static void setSaveHook(SaveHook hook);

    // The Open dialog: multiple files, encoding (Auto by default), open-as and read-only.
    static bool getOpenChoice(QWidget *parent, const QString &folder,
                              PenwrightApp::OpenChoice &choice);
    // The Save As dialog, preselecting encoding (Auto shows as Ansi) and line ending.
    static bool getSaveChoice(QWidget *parent, const QString &proposedPath, int encoding,
                              int lineEnding, SaveChoice &choice);

    // The filter list: the stored file filters, then "All Files (*.*)".
    static QString filterString();
};

} // namespace pw
