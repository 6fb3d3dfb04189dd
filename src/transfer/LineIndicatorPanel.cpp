#include "LineIndicatorPanel.h"

#include "lang/Texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

class Lamp : public QWidget
{
public:
    Lamp(QWidget *parent, const QColor &lit) : QWidget(parent), m_lit(lit) { setFixedSize(14, 14); }

    void setState(SerialLines::State state)
    {
        if (state == m_state)
            return;
        m_state = state;
        setToolTip(state == SerialLines::State::Unavailable ? Texts::extra("Extra.LineNotReported") : QString());
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        switch (m_state) {
        case SerialLines::State::On:
            p.setPen(QPen(m_lit.darker(160), 1));
            p.setBrush(m_lit);
            break;
        case SerialLines::State::Off:
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            p.setBrush(m_lit.darker(400));
            break;
        case SerialLines::State::Unavailable:
            p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            break;
        }
        p.drawEllipse(r);
        if (m_state == SerialLines::State::Unavailable)
            p.drawLine(r.bottomLeft() + QPointF(2, -2), r.topRight() + QPointF(-2, 2));
    }

private:
    QColor m_lit;
    SerialLines::State m_state = SerialLines::State::Off;
};

} // namespace

LineIndicatorPanel::LineIndicatorPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);
    // Modem lines green, traffic amber, as on the line testers shop floors use.
    const QColor modem(0x20, 0xD0, 0x30);
    const QColor traffic(0xFF, 0xB0, 0x00);
    for (int i = 0; i < 5; ++i) {
        auto *lamp = new Lamp(this, i < 3 ? modem : traffic);
        lamp->setObjectName(QStringLiteral("Lamp%1").arg(8 + i));
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(8 + i));
        layout->addWidget(lamp);
        layout->addWidget(label);
        if (i < 4)
            layout->addSpacing(12);
        m_lamps[i] = lamp;
    }
    layout->addStretch(1);
}

void LineIndicatorPanel::setLines(const SerialLines &lines)
{
    m_lines = lines;
    const SerialLines::State states[5] = {lines.cts, lines.dsr, lines.rlsd, lines.rx, lines.tx};
    for (int i = 0; i < 5; ++i)
        static_cast<Lamp *>(m_lamps[i])->setState(states[i]);
}
