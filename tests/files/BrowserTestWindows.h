#pragma once

#include "StartWindows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "machines/DatabaseSchema.h"

#include <QTemporaryDir>

// Starts the real windows over an empty machine database, as the program does.
inline TForm_Main *startWindows(const QTemporaryDir &dir, const char *language = "EN")
{
    const QString db = dir.filePath(QStringLiteral("machines.db"));
    if (!QFile::exists(db))
        DatabaseSchema::createDatabase(db, false);
    TestSupport::writeBytes(dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=" + language + "\r\n");
    return startWindows(dir.path());
}
