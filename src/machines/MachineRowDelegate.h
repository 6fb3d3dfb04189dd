#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>
#include <array>

class MachineListView;

// Paints one panel of a machine list: the picture in its silver frame and the
// navy captions with their values, on white, or sky blue for the cursor row.
class MachineRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit MachineRowDelegate(MachineListView *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The rows changed height: the view lays its items out again.
    void relayout() { emit sizeHintChanged(QModelIndex()); }

    // The vertical offset of the first line inside a panel of the given height.
    static int topOffset(int rowHeight);

    static constexpr int FrameSize = 104;
    static constexpr int PictureSize = 100;
    static constexpr int LineSpacing = 25;

private:
    const QPixmap &picture(const QString &number) const;

    MachineListView *m_view;
    mutable std::array<QPixmap, 8> m_pictures; // 100 x 100, scaled once
};
