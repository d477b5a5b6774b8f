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
        // As the user gave it; getSaveChoice returns it with the chosen filter's default
        // extension added where the rule adds one.
        QString path;
        int encoding = 0;
        int markLength = 0;
        int lineEnding = 2;
        // The chosen filter's default extension ("txt"; "*" or empty adds none).
        QString defaultExtension;
    };
    // Tests answer the dialogs through these hooks instead of showing them; the hook stands in
    // for the dialog only, so the extension rule and the overwrite question still apply.
    using SaveHook = std::function<bool(SaveChoice &, const QString &proposed)>;
    static void setSaveHook(SaveHook hook);

    // The Open dialog: multiple files, encoding (Auto by default), open-as and read-only. The
    // file filters and the last chosen one come from the settings file.
    static bool getOpenChoice(QWidget *parent, const QString &settingsFile, const QString &folder,
                              OpenChoice &choice);
    // The Save As dialog, preselecting the document's own encoding, mark and line ending. The
    // question about replacing an existing file comes once the default extension is added, so
    // it names the file that would really be replaced; No shows the dialog again.
    static bool getSaveChoice(QWidget *parent, const QString &settingsFile,
                              const QString &proposedPath, int encoding, int markLength,
                              int lineEnding, SaveChoice &choice);

private:
    static inline SaveHook s_saveHook;
};

} // namespace pw
