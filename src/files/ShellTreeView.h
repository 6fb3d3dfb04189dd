#pragma once

#include <QTreeView>

class QFileSystemModel;

// The browser's folder tree: folders only, from the top of the file system (the
// drives on Windows), following changes on disk by itself.
class ShellTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit ShellTreeView(QWidget *parent = nullptr);

    // Selects the folder, opens its parents and shows it.
    void setFolder(const QString &path);
    QString folder() const { return m_folder; }
    // Reads the folders again from disk (the tree keeps its current folder).
    void reread();
    QFileSystemModel *fileSystemModel() const { return m_fs; }

signals:
    // The user selected another folder.
    void folderChanged(const QString &path);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void followCurrent();
    void setFileSystemModel(QFileSystemModel *model);
    void currentFolderChanged(const QModelIndex &current);

    QFileSystemModel *m_fs = nullptr;
    QString m_folder;
    bool m_setting = false;
    // Folders are read in the background and sorted afterwards: a folder shown by
    // setFolder is kept in view until the user takes over.
    bool m_follow = false;
    bool m_followPending = false;
};
