#pragma once

#include "MessageReport.h"

#include <QWidget>

class QTreeWidget;

// The messages panel: one entry per completed tool run or replace, docked in the
// main window's bottom panel. Closing it hides that panel.
class TForm_MSG : public QWidget, public MessageReport
{
    Q_OBJECT

public:
    explicit TForm_MSG(QWidget *parent = nullptr);

    // Appends an entry for the current file with up to four detail lines.
    void addEntry(const QString &fileName, const QString &title, const QStringList &details);
    // The same in red, for what the operator must not overlook (a failed verification).
    void addAlarm(const QString &fileName, const QString &title, const QStringList &details);
    QTreeWidget *TreeView1() const { return m_tree; }
    void report(const QString &fileName, const QString &title, const QStringList &details, Tone tone) override;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTreeWidget *m_tree;
};
