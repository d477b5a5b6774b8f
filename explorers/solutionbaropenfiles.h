// CSolutionBarOpenFiles: the Document Selector pane, every open window by title.
#pragma once

#include <QList>
#include <QListWidget>
#include <functional>

namespace pw {

class CMDIChildFrame;

class CSolutionBarOpenFiles : public QListWidget
{
    Q_OBJECT
public:
    using FrameLister = std::function<QList<CMDIChildFrame *>()>;
    using FrameActivator = std::function<void(CMDIChildFrame *)>;

    CSolutionBarOpenFiles(FrameLister frames, FrameActivator activate, QWidget *parent = nullptr);

    // Lists every open window but the excluded one (a window on its way out), sorted by title.
    void refill(CMDIChildFrame *excluded = nullptr);
    // Activates the window of the entry, restoring it when minimised.
    void choose(int row);

private:
    FrameLister m_frames;
    FrameActivator m_activate;
    bool m_refilling = false;
};

} // namespace pw
