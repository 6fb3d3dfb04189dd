#include "SerialMonitorPanel.h"

#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Shell.h"
#include "platform/serial/SerialPort.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QColor colourOf(SerialMonitorLog::Kind kind)
{
    switch (kind) {
    case SerialMonitorLog::Kind::Out: return QColor(0, 60, 170);
    case SerialMonitorLog::Kind::In: return QColor(0, 120, 40);
    case SerialMonitorLog::Kind::Mark: return QColor(150, 70, 0);
    }
    return Qt::black;
}

// Widest content of a line: 64 bytes each drawn as a five-character name.
constexpr int WidestLine = 12 + 2 + 2 + 2 + SerialMonitorLog::MaxLineBytes * 5;

qint64 nowMsecs() { return QDateTime::currentMSecsSinceEpoch(); }

} // namespace

SerialMonitorView::SerialMonitorView(const SerialMonitorLog *log, QWidget *parent)
    : QAbstractScrollArea(parent), m_log(log)
{
    setObjectName(QStringLiteral("MonitorView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMinimumHeight(lineHeight() * 8);
}

int SerialMonitorView::lineHeight() const { return fontMetrics().height(); }

void SerialMonitorView::setHex(bool hex)
{
    m_hex = hex;
    viewport()->update();
}

QString SerialMonitorView::lineText(qsizetype i) const
{
    const SerialMonitorLog::Line &line = m_log->line(i);
    const QString time = SerialMonitorLog::timeText(line.msecs);
    switch (line.kind) {
    case SerialMonitorLog::Kind::Mark: return time + QStringLiteral("  --  ") + line.text;
    case SerialMonitorLog::Kind::Out:
    case SerialMonitorLog::Kind::In:
        break;
    }
    const QString content = m_hex ? SerialMonitorLog::hexText(line.bytes) : SerialMonitorLog::controlText(line.bytes);
    return time + (line.kind == SerialMonitorLog::Kind::Out ? QStringLiteral("  TX  ") : QStringLiteral("  RX  ")) + content;
}

void SerialMonitorView::refresh()
{
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const qint64 gone = m_log->dropped() - m_dropped;
    m_dropped = m_log->dropped();
    const int kept = bar->value() - int(qMin<qint64>(gone, bar->value()));
    updateBars();
    bar->setValue(atEnd ? bar->maximum() : kept);
    viewport()->update();
}

void SerialMonitorView::updateBars()
{
    const int rows = qMax(1, viewport()->height() / lineHeight());
    verticalScrollBar()->setRange(0, qMax(0, int(m_log->lineCount()) - rows));
    verticalScrollBar()->setPageStep(rows);
    const int width = fontMetrics().horizontalAdvance(QLatin1Char('0')) * WidestLine;
    horizontalScrollBar()->setRange(0, qMax(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void SerialMonitorView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool atEnd = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    updateBars();
    if (atEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void SerialMonitorView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const int h = lineHeight();
    const int ascent = fontMetrics().ascent();
    const int first = verticalScrollBar()->value();
    const int x = 4 - horizontalScrollBar()->value();
    const qsizetype count = m_log->lineCount();
    for (int row = 0; row * h < viewport()->height() && first + row < count; ++row) {
        const qsizetype i = first + row;
        const SerialMonitorLog::Line &line = m_log->line(i);
        if (line.kind == SerialMonitorLog::Kind::Mark)
            painter.fillRect(0, row * h, viewport()->width(), h, QColor(255, 244, 214));
        painter.setPen(colourOf(line.kind));
        painter.drawText(x, row * h + ascent, lineText(i));
    }
}

SerialMonitorPanel::SerialMonitorPanel(SerialPort *port, QWidget *parent) : QWidget(parent), m_port(port)
{
    setObjectName(QStringLiteral("MonitorPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("MonitorNote"));
    m_note->setWordWrap(true);
    m_hex = new QCheckBox(this);
    m_hex->setObjectName(QStringLiteral("MonitorHex"));
    m_clear = new QPushButton(this);
    m_clear->setObjectName(QStringLiteral("MonitorClear"));
    m_clear->setAutoDefault(false);
    m_help = new QToolButton(this);
    m_help->setObjectName(QStringLiteral("MonitorHelp"));
    m_help->setText(QStringLiteral("?"));
    m_help->setAutoRaise(true);
    connect(m_help, &QToolButton::clicked, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.4.4.html")); });
    bar->addWidget(m_note, 1);
    bar->addWidget(m_hex);
    bar->addWidget(m_clear);
    bar->addWidget(m_help);
    layout->addLayout(bar);
    m_view = new SerialMonitorView(&m_log, this);
    layout->addWidget(m_view, 1);

    connect(m_hex, &QCheckBox::toggled, m_view, &SerialMonitorView::setHex);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_log.clear();
        look();
    });
    m_timer.setInterval(RefreshInterval);
    connect(&m_timer, &QTimer::timeout, this, &SerialMonitorPanel::look);
    retranslate();
}

void SerialMonitorPanel::retranslate()
{
    m_hex->setText(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorHex")));
    m_clear->setText(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorClear")));
    m_note->setText(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorNote")));
    m_help->setToolTip(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorHelp")));
}

void SerialMonitorPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    listen(true);
}

void SerialMonitorPanel::hideEvent(QHideEvent *event)
{
    look(); // a window closes with its port: that is the last line
    listen(false);
    QWidget::hideEvent(event);
}

void SerialMonitorPanel::listen(bool on)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_timer.stop();
    if (!on)
        return;
    // Direct connections: a byte costs an append to the log, the drawing waits for the timer.
    m_connections << connect(m_port, &SerialPort::transmitted, this, [this](const QByteArray &bytes) {
        // Opened or let go since the last look: that mark comes before these bytes.
        if (!m_portOpen)
            look();
        m_handed += bytes.size();
        if (m_watch.isHeld())
            look();
        m_log.append(SerialMonitorLog::Kind::Out, bytes, nowMsecs());
    });
    m_connections << connect(m_port, &SerialPort::received, this, [this](const QByteArray &bytes) {
        if (!m_portOpen)
            look();
        m_log.append(SerialMonitorLog::Kind::In, bytes, nowMsecs());
    });
    m_connections << connect(m_port, &SerialPort::linesChanged, this, &SerialMonitorPanel::onLines);
    m_timer.start();
    look();
}

void SerialMonitorPanel::mark(const QString &text) { m_log.addMark(text, nowMsecs()); }

void SerialMonitorPanel::onLines(const SerialLines &lines)
{
    if (!m_port->isOpen())
        return; // closing resets the indicators: that is no change on the line
    if (!m_portOpen) {
        look(); // just opened: its mark first, then these lines as they were found
        return;
    }
    if (!m_linesKnown) {
        m_linesKnown = true;
        m_lines = lines;
        if (lines.cts == SerialLines::State::Unavailable)
            mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorLinesUnavailable")));
        return;
    }
    const struct { SerialLines::State before, now; const char *name; } changes[] = {
        {m_lines.cts, lines.cts, "CTS"}, {m_lines.dsr, lines.dsr, "DSR"}, {m_lines.rlsd, lines.rlsd, "RLSD"}};
    for (const auto &c : changes) {
        if (c.before == c.now || c.now == SerialLines::State::Unavailable)
            continue;
        mark(Texts::extraOrEnglish(c.now == SerialLines::State::On ? QStringLiteral("Extra.MonitorLineOn")
                                                                   : QStringLiteral("Extra.MonitorLineOff"))
                 .arg(QLatin1String(c.name)));
    }
    m_lines = lines;
}

void SerialMonitorPanel::look()
{
    const bool open = m_port->isOpen();
    if (open != m_portOpen) {
        m_portOpen = open;
        if (open) {
            m_handed = 0;
            m_watch.reset();
            m_linesKnown = false;
            mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorOpened"))
                     .arg(describeSerialPort(m_port->settings().portName, m_port->deviceName())));
            onLines(m_port->lines());
        } else {
            if (m_watch.isHeld())
                mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorClosedHeld")));
            m_watch.reset();
            mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorClosed")));
        }
    }
    if (open) {
        const qint64 now = nowMsecs();
        switch (m_watch.look(now, m_handed, m_port->outputWaiting())) {
        case SerialOutputWatch::Event::Held:
            mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorHeld")).arg(now - m_watch.heldSince()));
            break;
        case SerialOutputWatch::Event::Resumed:
            mark(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorResumed"))
                     .arg(QString::number(double(now - m_watch.heldSince()) / 1000.0, 'f', 1)));
            break;
        case SerialOutputWatch::Event::None:
            break;
        }
    }
    if (m_log.changes() != m_shownChanges) {
        m_shownChanges = m_log.changes();
        m_view->refresh();
    }
}
