#pragma once

#include <QString>

// Copies a file or a folder with its whole content (FileCopier) for a user: asks
// before replacing an existing file (Yes, No, Yes to all, Cancel), shows progress
// for long copies and reports a failure in an error message. `target` is the full
// path of the copy; when it names an existing folder, the source is copied into
// it. Returns true only when everything asked for was copied: false for empty
// paths, a declined file, Cancel or an error.
bool FUNC_Copiar_Arquivo(const QString &source, const QString &target);
