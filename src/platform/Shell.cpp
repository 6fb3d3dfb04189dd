#include "Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

std::function<void(const QString &)> g_helpViewer;

class RealShell : public Shell
{
public:
    void openHelpPage(const QString &path) override
    {
        if (g_helpViewer)
            g_helpViewer(path);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    bool openWithAssociatedProgram(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    bool moveToTrash(const QString &path, QString *error) override
    {
        QFile f(path);
        if (f.moveToTrash())
            return true;
        if (error)
            *error = f.errorString();
        return false;
    }

    QStringList clipboardFiles() override
    {
        QStringList files;
        const QMimeData *data = QApplication::clipboard()->mimeData();
        if (!data || !data->hasUrls())
            return files;
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                files << QDir::toNativeSeparators(url.toLocalFile());
        }
        return files;
    }

    void setClipboardFiles(const QStringList &paths) override
    {
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        QApplication::clipboard()->setMimeData(data);
    }
};

RealShell g_realShell;
Shell *g_shell = nullptr;

} // namespace

Shell &shell() { return g_shell ? *g_shell : g_realShell; }

void setShell(Shell *s) { g_shell = s; }

void setHelpViewer(std::function<void(const QString &path)> viewer) { g_helpViewer = std::move(viewer); }

bool ScriptedShell::moveToTrash(const QString &path, QString *error)
{
    // Tests see the file leave its folder, as with the real trash.
    QFileInfo info(path);
    bool ok = info.isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
    if (ok)
        trashed << path;
    else if (error)
        *error = QStringLiteral("cannot remove %1").arg(path);
    return ok;
}

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void suppressSystemErrorDialogs()
{
#ifdef Q_OS_WIN
    SetErrorMode(SEM_FAILCRITICALERRORS);
#endif
}
