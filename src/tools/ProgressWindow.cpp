#include "ProgressWindow.h"

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "platform/WindowRules.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>

namespace {
QPointer<TForm_EDT_Progress> g_instance;
}

TForm_EDT_Progress::TForm_EDT_Progress(QWidget *parent) : QDialog(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("Form_EDT_Progress"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // While a run goes on, this is the one window the user can act on.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(692, 65);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, 692, 43);
    panel->setFrameShape(QFrame::Box);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    m_bar = new QProgressBar(panel);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setGeometry(12, 11, 500, 21);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);

    m_percent = new QLabel(panel);
    m_percent->setObjectName(QStringLiteral("Label1"));
    m_percent->setGeometry(520, 11, 60, 21);

    m_cancel = new QPushButton(panel);
    m_cancel->setObjectName(QStringLiteral("BitBtn3"));
    m_cancel->setGeometry(585, 7, 97, 30);
    connect(m_cancel, &QPushButton::clicked, this, &TForm_EDT_Progress::BitBtn3Click);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setGeometry(0, 43, 692, 22);
    m_status->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(m_status);
    m_statusPanel->setObjectName(QStringLiteral("StatusBar1Panel0"));
    m_status->addWidget(m_statusPanel, 1);
}

TForm_EDT_Progress *TForm_EDT_Progress::instance() { return g_instance; }

void TForm_EDT_Progress::start(const QString &statusText)
{
    show();
    m_statusPanel->setText(statusText);
    WindowRules::centreOnScreen(this);
}

void TForm_EDT_Progress::setMaximum(int maximum)
{
    // An empty range would turn the bar into a busy indicator.
    m_bar->setRange(0, std::max(maximum, 1));
}

void TForm_EDT_Progress::showProgress(int position, qint64 percent)
{
    m_bar->setValue(std::min(position, m_bar->maximum()));
    m_percent->setText(QString::number(percent) + QLatin1Char('%'));
}

QString TForm_EDT_Progress::statusText() const { return m_statusPanel->text(); }

void TForm_EDT_Progress::BitBtn3Click() { close(); }

void TForm_EDT_Progress::reject() { close(); }

void TForm_EDT_Progress::closeEvent(QCloseEvent *event)
{
    app().CancelRequested = true;
    if (TForm_Main *main = TForm_Main::instance())
        main->show();
    event->accept();
}

QWidget *createForm_EDT_Progress() { return new TForm_EDT_Progress; }
