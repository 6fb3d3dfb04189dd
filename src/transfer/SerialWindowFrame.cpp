#include "SerialWindowFrame.h"

#include "TransferErrors.h"

#include "LineIndicatorPanel.h"
#include "SerialMonitorPanel.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Shell.h"
#include "platform/serial/SerialPort.h"

#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

SerialWindowFrame::SerialWindowFrame(QDialog *window, SerialPort *port, const QString &helpPage)
    : m_window(window), m_port(port)
{
    m_layout = new QVBoxLayout(window);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    auto *ribbon = new Ribbon(window);
    QObject::connect(ribbon, &Ribbon::helpRequested, window,
                     [helpPage] { shell().openHelpPage(app().HelpDirectory + helpPage); });
    m_layout->addWidget(ribbon);

    m_body = new QVBoxLayout;
    m_body->setContentsMargins(8, 8, 8, 8);
    m_body->setSpacing(8);
    m_layout->addLayout(m_body, 1);

    m_group = new QGroupBox(window);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_grid = new QGridLayout(m_group);
    m_grid->setHorizontalSpacing(8);
    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnStretch(3, 1);
    m_body->addWidget(m_group);
}

QLineEdit *SerialWindowFrame::addRow(const char *labelName, const char *editName, QLabel **label)
{
    auto *l = new QLabel(m_group);
    l->setObjectName(QLatin1String(labelName));
    auto *edit = new QLineEdit(m_group);
    edit->setObjectName(QLatin1String(editName));
    l->setBuddy(edit);
    m_grid->addWidget(l, m_rows, 0);
    m_grid->addWidget(edit, m_rows, 1, 1, 3);
    ++m_rows;
    if (label)
        *label = l;
    return edit;
}

QLineEdit *SerialWindowFrame::addPathRow(const char *labelName, const char *editName, QLabel **label)
{
    QLineEdit *edit = addRow(labelName, editName, label);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setMinimumWidth(440);
    return edit;
}

void SerialWindowFrame::addPortFields()
{
    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(m_group);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        auto *edit = new QLineEdit(m_group);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        label->setBuddy(edit);
        const int column = i < 3 ? 0 : 2;
        m_grid->addWidget(label, m_rows + i % 3, column);
        m_grid->addWidget(edit, m_rows + i % 3, column + 1);
        m_fields[i] = edit;
    }
    m_lines = new LineIndicatorPanel(m_group);
    m_grid->addWidget(m_lines, m_rows + 3, 0, 1, 4);
    QObject::connect(m_port, &SerialPort::linesChanged, m_lines, &LineIndicatorPanel::setLines);
    m_lines->setLines(m_port->lines());
}

QPushButton *SerialWindowFrame::button(QStyle::StandardPixmap icon, const char *name)
{
    auto *b = new QPushButton(m_window->style()->standardIcon(icon), QString(), m_window);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

namespace {

// Keeps the monitor's texts in the current language: the extra texts are not among those the
// language switch copies into the windows.
class MonitorTexts : public QObject
{
public:
    MonitorTexts(QWidget *window, SerialMonitorPanel *monitor, QPushButton *button)
        : QObject(window), m_monitor(monitor), m_button(button)
    {
        window->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            apply();
        return false;
    }

private:
    void apply()
    {
        m_button->setText(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorButton")));
        m_button->setToolTip(Texts::extraOrEnglish(QStringLiteral("Extra.MonitorButtonHint")));
        m_monitor->retranslate();
    }

    SerialMonitorPanel *m_monitor;
    QPushButton *m_button;
};

} // namespace

void SerialWindowFrame::addButtons(std::initializer_list<QPushButton *> buttons)
{
    m_monitor = new SerialMonitorPanel(m_port, m_window);
    m_monitor->setVisible(false);
    m_body->addWidget(m_monitor, 1);
    m_monitorButton = new QPushButton(m_window);
    m_monitorButton->setObjectName(QStringLiteral("MonitorButton"));
    m_monitorButton->setCheckable(true);
    m_monitorButton->setAutoDefault(false);
    new MonitorTexts(m_window, m_monitor, m_monitorButton);
    QObject::connect(m_monitorButton, &QPushButton::toggled, m_window, [this](bool on) {
        if (on == m_monitor->isVisible())
            return;
        // The window grows by the monitor and gives the room back, so that the rest of it
        // keeps its size.
        const int room = on ? 260 : m_monitor->height() + m_body->spacing();
        m_monitor->setVisible(on);
        int height = qMax(m_window->minimumSizeHint().height(), m_window->height() + (on ? room : -room));
        // No taller than the screen: the received text and the monitor share what there is.
        if (QScreen *screen = m_window->screen())
            height = qMin(height, screen->availableGeometry().height() - (m_window->frameGeometry().height() - m_window->height()));
        m_window->resize(m_window->width(), height);
    });

    auto *row = new QHBoxLayout;
    row->addWidget(m_monitorButton);
    row->addStretch(1);
    for (QPushButton *b : buttons)
        row->addWidget(b);
    m_body->addLayout(row);

    m_status = new QStatusBar(m_window);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    m_layout->addWidget(m_status);
}

void SerialWindowFrame::applyCodes(Param param, const SerialTables::SerialCodes &codes)
{
    SerialSettings settings = m_port->settings();
    param(codes, settings, m_fieldTexts);
    m_port->setSettings(settings);
    const QString values[6] = {m_fieldTexts.port,     m_fieldTexts.speed,    m_fieldTexts.dataBits,
                               m_fieldTexts.parity,   m_fieldTexts.stopBits, m_fieldTexts.flow};
    for (int i = 0; i < 6; ++i)
        m_fields[i]->setText(values[i]);
}

QString SerialWindowFrame::statusText() const { return m_status->currentMessage(); }

void SerialWindowFrame::setStatus(const QString &text)
{
    if (text.isEmpty())
        m_status->clearMessage();
    else
        m_status->showMessage(text);
}

void SerialWindowFrame::openPort()
{
    try {
        m_port->open();
    } catch (const SerialPortOpenError &e) {
        throw Error(Texts::extra("Extra.PortNotAvailable").arg(e.port(), TransferErrors::serialOpenReason(e)));
    }
}
