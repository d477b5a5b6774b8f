// One external tool as the settings file stores it: a Tool element's text and five attributes.
#pragma once

#include <QString>

namespace pw {

struct ExternalToolRecord
{
    QString name; // element text (CDATA): the menu text
    int icon = 0; // attribute "icon": image id of the menu icon, 0 = none
    QString args; // attribute "args": argument text, variables not yet replaced
    QString dir;  // attribute "dir": initial directory
    QString cmd;  // attribute "cmd": program to run
    int type = 0; // attribute "type": 0 output window, 1 editor document, 2 run externally

    friend bool operator==(const ExternalToolRecord &, const ExternalToolRecord &) = default;
};

} // namespace pw
