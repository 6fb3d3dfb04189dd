#include "MachineRowDelegate.h"

#include "ImagesWindow.h"
#include "MachineList.h"
#include "MachineListView.h"
#include "MachinePictures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

namespace {
const QColor SkyBlue(0xA6, 0xCA, 0xF0);
const QColor Navy(0x00, 0x00, 0x80);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor PanelLine(0xD8, 0xDD, 0xE3);

constexpr int Margin = 8;
constexpr int Gap = 12;
constexpr int CaptionGap = 6;
// The date column never starts closer than this to the first values.
constexpr int MinimumValueWidth = 180;

struct Line
{
    int caption;
    int role;
    int offset; // below the panel's first line
};
} // namespace

MachineRowDelegate::MachineRowDelegate(MachineListView *view) : QStyledItemDelegate(view), m_view(view) {}

int MachineRowDelegate::topOffset(int rowHeight) { return qMax(10, (rowHeight - 110) / 2 + 10); }

QSize MachineRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(qMax(1, m_view->viewport()->width()), m_view->rowHeight());
}

const QPixmap &MachineRowDelegate::picture(const QString &number) const
{
    const int n = MachinePictures::pictureNumber(number);
    QPixmap &p = m_pictures[size_t(n)];
    if (n > 0 && p.isNull()) {
        p = TForm_Imagens::machinePicture(number).scaled(PictureSize, PictureSize, Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation);
    }
    return p;
}

void MachineRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect r = option.rect;
    const bool cursorRow = index.row() == m_view->machineList()->cursorRow();
    painter->save();
    painter->fillRect(r, cursorRow ? SkyBlue : Qt::white);
    painter->setPen(PanelLine);
    painter->drawLine(r.bottomLeft(), r.bottomRight());

    const int top = r.top() + topOffset(r.height());
    const QRect frame(r.left() + Margin, top - 5, FrameSize, FrameSize);
    painter->fillRect(frame, Silver);
    const QPixmap &pic = picture(index.data(MachineList::PictureRole).toString());
    if (!pic.isNull())
        painter->drawPixmap(frame.left() + 2, frame.top() + 2, pic);

    QFont captionFont = option.font;
    captionFont.setBold(true);
    // Measured on the device painted on, in fractions rounded up: integer metrics of
    // another device can come out a pixel short of what is drawn.
    const QFontMetricsF captionMetrics(captionFont, painter->device());
    const QFontMetrics valueMetrics(option.font, painter->device());
    const int lineHeight = qMax(qCeil(captionMetrics.height()), valueMetrics.height());
    const auto captionWidth = [&](int i) {
        const QString text = m_view->caption(i);
        return qCeil(qMax(captionMetrics.horizontalAdvance(text), captionMetrics.boundingRect(text).right())) + 2;
    };

    // First column: number, description, type, directory; second column beside the
    // type and the directory: the two dates.
    const bool dates = m_view->captionCount() >= 6;
    int captionWidth1 = 0;
    for (int i = 0; i < 4; ++i)
        captionWidth1 = qMax(captionWidth1, captionWidth(i));
    int captionWidth2 = 0;
    if (dates) {
        for (int i = 4; i < 6; ++i)
            captionWidth2 = qMax(captionWidth2, captionWidth(i));
    }
    const int captionX1 = frame.right() + 1 + Gap;
    const int valueX1 = captionX1 + captionWidth1 + CaptionGap;
    const int right = r.right() - Margin;
    // The date column starts half way across what the values have.
    const int captionX2 = dates ? valueX1 + qMax(MinimumValueWidth, (right - valueX1) / 2) : right;
    const int valueX2 = captionX2 + captionWidth2 + CaptionGap;

    // Captions get the width they need and are never clipped; values are cut with
    // an ellipsis where their room ends.
    auto draw = [&](int x, int y, int width, const QString &text, bool caption) {
        if (width <= 0)
            return;
        painter->setFont(caption ? captionFont : option.font);
        painter->setPen(caption ? Navy : QColor(Qt::black));
        if (caption) {
            painter->drawText(QRect(x, y, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
        } else {
            painter->drawText(QRect(x, y, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                              valueMetrics.elidedText(text, Qt::ElideRight, width));
        }
    };

    const Line first[] = {{0, MachineList::NumberRole, 0},
                          {1, MachineList::DescriptionRole, LineSpacing},
                          {2, MachineList::TransferTypeRole, 2 * LineSpacing},
                          {3, MachineList::DirectoryRole, 3 * LineSpacing}};
    for (const Line &line : first) {
        // The lines beside the dates end where the date column begins.
        const bool besideDates = dates && line.offset >= 2 * LineSpacing;
        const int valueRight = besideDates ? captionX2 - Gap : right;
        draw(captionX1, top + line.offset, captionWidth1, m_view->caption(line.caption), true);
        draw(valueX1, top + line.offset, valueRight - valueX1, index.data(line.role).toString(), false);
    }
    if (dates) {
        const Line second[] = {{4, MachineList::CreatedRole, 2 * LineSpacing}, {5, MachineList::ChangedRole, 3 * LineSpacing}};
        for (const Line &line : second) {
            draw(captionX2, top + line.offset, captionWidth2, m_view->caption(line.caption), true);
            draw(valueX2, top + line.offset, right - valueX2, index.data(line.role).toString(), false);
        }
    }
    painter->restore();
}
