#include "MachineListView.h"

#include "MachineList.h"
#include "MachineRowDelegate.h"
#include "RowCaption.h"

#include <QResizeEvent>
#include <QScrollBar>

MachineListView::MachineListView(MachineList *list, int visibleRows, const QStringList &captionNames, QWidget *parent)
    : QListView(parent), m_list(list), m_visibleRows(qMax(1, visibleRows))
{
    for (const QString &name : captionNames) {
        auto *caption = new RowCaption(name, this);
        connect(caption, &RowCaption::captionChanged, viewport(), qOverload<>(&QWidget::update));
        m_captions << caption;
    }
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every panel has the same height, so the view never measures thousands of rows.
    setUniformItemSizes(true);
    setMouseTracking(false);
    m_delegate = new MachineRowDelegate(this);
    setItemDelegate(m_delegate);
    setModel(list);
    connect(list, &MachineList::cursorChanged, this, &MachineListView::followCursor);
    followCursor(list->cursorRow());
}

QString MachineListView::caption(int i) const
{
    return i >= 0 && i < m_captions.size() ? m_captions.at(i)->caption() : QString();
}

void MachineListView::followCursor(int row)
{
    const QModelIndex index = row >= 0 ? m_list->index(row, 0) : QModelIndex();
    if (index != currentIndex()) {
        if (index.isValid())
            setCurrentIndex(index);
        else
            selectionModel()->clearCurrentIndex();
    }
    viewport()->update();
}

void MachineListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    if (current.isValid())
        m_list->setCursorRow(current.row());
    viewport()->update();
}

void MachineListView::updateRowHeight()
{
    const int height = qMax(MinimumRowHeight, viewport()->height() / m_visibleRows);
    if (height == m_rowHeight)
        return;
    m_rowHeight = height;
    // A wheel step moves about one panel, a line step a third of one.
    verticalScrollBar()->setSingleStep(qMax(1, height / 3));
    m_delegate->relayout();
}

void MachineListView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    updateRowHeight();
}
