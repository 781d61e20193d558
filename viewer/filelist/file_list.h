// The ordered full paths of the opened file's folder.
#pragma once

#include <string>
#include <vector>

struct FileList {
    std::vector<std::wstring> paths;
};
