#include "SplashWindow.h"

#include "platform/WindowRules.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

TForm_Screen::TForm_Screen(QWidget *parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form_Screen"));
    setFixedSize(750, 500);
    m_picture = QPixmap(QStringLiteral(":/pictures/splash.png"));

    auto *bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setRange(0, 0); // marquee
    bar->setTextVisible(false);
    bar->setGeometry((750 - 370) / 2, 440, 370, 14);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry((750 - 370) / 2, 458, 370, 22);
    m_label->setAlignment(Qt::AlignCenter);

    m_dotTimer = new QTimer(this);
    m_dotTimer->setInterval(DotMilliseconds);
    connect(m_dotTimer, &QTimer::timeout, this, [this] { m_label->setText(m_label->text() + QLatin1Char('.')); });
    m_dotTimer->start();

    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);
    m_closeTimer->setTimerType(Qt::PreciseTimer);
    m_closeTimer->setInterval(DisplayMilliseconds);
    connect(m_closeTimer, &QTimer::timeout, this, [this] {
        m_expired = true;
        m_dotTimer->stop();
        if (isVisible())
            accept();
    });
    m_closeTimer->start();
}

void TForm_Screen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowRules::centreOnScreen(this);
    // Painted at once, before start-up goes on.
    QApplication::processEvents();
}

int TForm_Screen::exec()
{
    if (m_expired) {
        // Start-up took longer than the splash time: it appears and closes at once.
        show();
        QApplication::processEvents();
        hide();
        return Accepted;
    }
    return QDialog::exec();
}

void TForm_Screen::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        p.drawPixmap(rect(), m_picture);
    QPen pen(QColor(0x80, 0x80, 0x80));
    pen.setWidth(2);
    p.setPen(pen);
    p.drawRect(QRectF(1, 1, width() - 2, height() - 2));
}
