#pragma once

#include <QListView>
#include <QStringList>

class MachineList;
class MachineRowDelegate;
class RowCaption;

// A machine list shown as panels, a fixed number of them filling the height,
// painted by MachineRowDelegate. The cursor of the list is the current row.
// The captions of the panels are small objects named after their text keys
// (Label8, Label15, ...), so the language texts reach them.
class MachineListView : public QListView
{
    Q_OBJECT

public:
    // captionNames: the caption objects in panel order: number, description,
    // transfer type, program directory, then optionally creation and change dates.
    MachineListView(MachineList *list, int visibleRows, const QStringList &captionNames, QWidget *parent);

    MachineList *machineList() const { return m_list; }
    int visibleRows() const { return m_visibleRows; }
    int rowHeight() const { return m_rowHeight; }
    int captionCount() const { return int(m_captions.size()); }
    QString caption(int i) const;

    // The smallest height a panel needs for its picture and four lines.
    static constexpr int MinimumRowHeight = 116;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void followCursor(int row);
    void updateRowHeight();

    MachineList *m_list;
    MachineRowDelegate *m_delegate;
    QList<RowCaption *> m_captions;
    int m_visibleRows;
    int m_rowHeight = MinimumRowHeight;
};
