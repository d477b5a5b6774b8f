// PreviewCommands: "Preview in Browser", one preview window per text window.
#pragma once

#include "framework/commandtarget.h"

#include <QHash>
#include <QObject>
#include <QPointer>

namespace pw {

class CHTMLPreviewFrame;
class EditorHost;

// "Preview in Browser" (521) on the active text window: its preview window when it still has
// one, a new one (through the open routine's web preview) otherwise, given the newest text.
class PreviewCommands : public QObject, public CommandTarget
{
    Q_OBJECT
public:
    explicit PreviewCommands(EditorHost &host, QObject *parent = nullptr);

    // The preview window of the active text window, made or reused; null when the active
    // window is no text window or no preview could be opened.
    CHTMLPreviewFrame *previewActive();
    // The preview window a text window has, or null.
    CHTMLPreviewFrame *previewOf(const QObject *textFrame) const;

private:
    EditorHost &m_host;
    QHash<const QObject *, QPointer<CHTMLPreviewFrame>> m_previews;
};

} // namespace pw
