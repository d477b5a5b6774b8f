// Reading and writing text files: the reader, the writer and file stamps in one include.
#pragma once

#include "editor/encoding/filestamp.h"
#include "editor/encoding/textfilereader.h"
#include "editor/encoding/textfilewriter.h"
