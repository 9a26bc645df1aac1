#include "tray/launch_targets.h"

#include "tray/path_text.h"

bool BuildMainApplicationPath(const char* programFilesFolder, char* path, size_t pathSize)
{
    if (path != nullptr && pathSize > 0)
        path[0] = '\0';
    if (programFilesFolder == nullptr || programFilesFolder[0] == '\0')
        return false;
    const char* const parts[] = {programFilesFolder, kMainApplication};
    return ComposeText(path, pathSize, parts, 2);
}
