#pragma once

#include <QString>

// The browser's New Folder command: where the new folder goes.
namespace NewFolder {

// Folders of the network neighbourhood hold shortcuts, not files: no new folder
// is made there (the test is case-sensitive, as the shell names it).
bool isRefused(const QString &folderPath);

// "New Folder" in the folder, or "New Folder 1", "New Folder 2", ... when that
// exists: the first name that is free. `folder` ends with a separator.
QString choosePath(const QString &folder);

} // namespace NewFolder
