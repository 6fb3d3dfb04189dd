#pragma once

#include <QString>
#include <QStringList>

// Tabs made by New File are remembered by a marker of their caption, "*\" + caption
// + "/*", so that New(1) never matches inside New(11).
QString newFileMarker(const QString &caption);
bool isNewFile(const QStringList &newFileList, const QString &caption);
// The caption of the next new file: the language's "New", "(", the counter, ")".
QString newFileCaption(const QString &newText, int counter);
