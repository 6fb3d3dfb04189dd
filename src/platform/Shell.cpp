#include "Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
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

    bool hasAssociatedProgram(const QString &path) override
    {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // The desktop opens a file through the default application of its type or of
        // a type it is a kind of (a text/x-gcode file with the text/plain editor), as
        // xdg-mime reports it for the type that the shared MIME database gives. No
        // xdg-open, no xdg-mime or no default application: nothing would open it.
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            return false;
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdgMime.isEmpty())
            return false;
        const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
        QStringList types{type.name()};
        types << type.allAncestors();
        for (const QString &name : std::as_const(types)) {
            // Every file is a kind of octet stream; that says nothing of a program.
            if (name == QLatin1String("application/octet-stream"))
                continue;
            QProcess query;
            query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), name});
            if (!query.waitForFinished(3000)) {
                query.kill();
                query.waitForFinished(1000);
                continue;
            }
            if (query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
                && !query.readAllStandardOutput().trimmed().isEmpty())
                return true;
        }
        return false;
#else
        // Windows and macOS report a file without a program when it is opened.
        Q_UNUSED(path);
        return true;
#endif
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
