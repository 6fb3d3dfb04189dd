#pragma once

#include "FileCopier.h"

#include <QString>
#include <functional>

// Copies a file or a folder with its whole content (FileCopier) for a user: asks
// before replacing an existing file (Yes, No, Yes to all, Cancel), shows progress
// for long copies and reports a failure in an error message. `target` is the full
// path of the copy; when it names an existing folder, the source is copied into
// it. Returns true only when everything asked for was copied: false for empty
// paths, a declined file, Cancel or an error.
bool FUNC_Copiar_Arquivo(const QString &source, const QString &target);

// What a copy for a transfer came to, for the transfer journal.
struct CopyReport
{
    FileCopier::Outcome outcome = FileCopier::Outcome::Failed;
    QString error;      // the reason shown, empty when none
    QString target;     // where the copy went
    qint64 bytes = 0;   // bytes copied
    QString sourceHash; // of the (last) file's bytes as they were read
    QString targetHash; // of its copy as read back, when verified
    qint64 targetSize = -1;
    qint64 sourceSize = -1; // of the (last) file
    QString failedPath;     // the file a failure or a verification failure concerns
};

// FUNC_Copiar_Arquivo with a report and, when `verify` is set, every copied file read
// back and compared. A failure is shown as there; a verification failure is left to
// the caller to tell. `beforeReadBack` is handed to FileCopier (tests).
CopyReport copyForTransfer(const QString &source, const QString &target, bool verify,
                           const std::function<void(const QString &)> &beforeReadBack = {});
