// The customise dialog's Tools page: edits copies of the tool list and hands them back on closing.
#pragma once

class QWidget;

namespace pw {

class ToolsController;

// Made each time the customise dialog opens. Every change goes into the page's copies at once;
// when the dialog closes (the page is destroyed) the copies, in list order, become the tool list
// and the icons are made anew. The settings file is written only when the program closes.
QWidget *makeToolsPage(ToolsController *controller, QWidget *parent);

} // namespace pw
