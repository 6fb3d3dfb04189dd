#pragma once

#include <QWidget>

class QTreeWidget;

// The messages panel: one entry per completed tool run or replace, docked in the
// main window's bottom panel. Closing it hides that panel.
class TForm_MSG : public QWidget
{
    Q_OBJECT

public:
    explicit TForm_MSG(QWidget *parent = nullptr);

    // Appends an entry for the current file with up to four detail lines.
    void addEntry(const QString &fileName, const QString &title, const QStringList &details);
    QTreeWidget *TreeView1() const { return m_tree; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTreeWidget *m_tree;
};
