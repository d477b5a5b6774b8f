// OpenRequest: what one call of the open routine is asked to do.
#pragma once

namespace pw {

enum OpenMode { OpenText = 0, OpenHex = 1, OpenAuto = 2, OpenCompare = 3, OpenWebPreview = 4 };

struct OpenRequest
{
    int mode = OpenAuto;
    int encoding = 4; // Auto: detected from the file
    int markLength = 0;
    bool readOnly = false;
};

} // namespace pw
