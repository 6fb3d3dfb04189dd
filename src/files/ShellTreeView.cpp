#include "ShellTreeView.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTimer>

ShellTreeView::ShellTreeView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("ShellTreeView1"));
    setHeaderHidden(true);
    setIndentation(19);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    setFileSystemModel(new QFileSystemModel(this));
}

void ShellTreeView::setFileSystemModel(QFileSystemModel *model)
{
    QFileSystemModel *old = m_fs;
    m_fs = model;
    m_fs->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_fs->setReadOnly(true);
    // The top of the tree: the drives on Windows, the root folder's folders elsewhere.
#ifdef Q_OS_WIN
    m_fs->setRootPath(QString());
#else
    m_fs->setRootPath(QDir::rootPath());
#endif
    QItemSelectionModel *oldSelection = selectionModel();
    setModel(m_fs);
    delete oldSelection;
#ifndef Q_OS_WIN
    setRootIndex(m_fs->index(QDir::rootPath()));
#endif
    for (int c = 1; c < m_fs->columnCount(); ++c)
        hideColumn(c);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { currentFolderChanged(current); });
    connect(m_fs, &QFileSystemModel::directoryLoaded, this, &ShellTreeView::followCurrent);
    connect(m_fs, &QFileSystemModel::layoutChanged, this, &ShellTreeView::followCurrent);
    if (old)
        old->deleteLater();
}

void ShellTreeView::followCurrent()
{
    if (!m_follow || m_followPending)
        return;
    m_followPending = true;
    QTimer::singleShot(0, this, [this] {
        m_followPending = false;
        if (m_follow && currentIndex().isValid())
            scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void ShellTreeView::mousePressEvent(QMouseEvent *event)
{
    m_follow = false;
    QTreeView::mousePressEvent(event);
}

void ShellTreeView::wheelEvent(QWheelEvent *event)
{
    m_follow = false;
    QTreeView::wheelEvent(event);
}

void ShellTreeView::currentFolderChanged(const QModelIndex &current)
{
    if (m_setting || !current.isValid())
        return;
    m_folder = QDir::toNativeSeparators(m_fs->filePath(current));
    emit folderChanged(m_folder);
}

void ShellTreeView::setFolder(const QString &path)
{
    m_folder = path.isEmpty() ? path : QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(path)));
    const QModelIndex index = m_fs->index(QDir::fromNativeSeparators(m_folder));
    m_setting = true;
    setCurrentIndex(index);
    m_setting = false;
    if (!index.isValid())
        return;
    // Its sub-folders are read afresh.
    collapse(index);
    expand(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_follow = true;
}

void ShellTreeView::reread()
{
    const QString folder = m_folder;
    setFileSystemModel(new QFileSystemModel(this));
    if (!folder.isEmpty())
        setFolder(folder);
}
