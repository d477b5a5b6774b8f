// CFileDialogEx: the Open and Save As dialogs with encoding, line-ending and open-as choices.
#pragma once

#include "framework/openrequest.h"

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace pw {

class CFileDialogEx
{
public:
    struct OpenChoice
    {
        QStringList paths;
        int encoding = 4;
        int openAs = OpenAuto;
        bool readOnly = false;
    };
    struct SaveChoice
    {
        QString path; // already carries the default extension where the rule adds one
        int encoding = 3;
        int lineEnding = 0;
    };
    // Tests answer the dialogs through these hooks instead of showing them.
    using SaveHook = std::function<bool(SaveChoice &, const QString &proposed)>;
    static void setSaveHook(SaveHook hook);

    // The Open dialog: multiple files, encoding (Auto by default), open-as and read-only. The
    // file filters and the last chosen one come from the settings file.
    static bool getOpenChoice(QWidget *parent, const QString &settingsFile, const QString &folder,
                              OpenChoice &choice);
    // The Save As dialog, preselecting encoding (Auto shows as Ansi) and line ending.
    static bool getSaveChoice(QWidget *parent, const QString &settingsFile,
                              const QString &proposedPath, int encoding, int lineEnding,
                              SaveChoice &choice);
};

} // namespace pw
