#include "TranslateWindow.h"

#include "TranslateTool.h"
#include "platform/SystemFormats.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

TForm_EDT4::TForm_EDT4() : ToolWindow("Form_EDT4", "GroupBox3", "func05.7.html", 140)
{
    for (int i = 0; i < 3; ++i) {
        m_axes[i] = new QCheckBox(group());
        m_axes[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        m_axes[i]->setGeometry(16, 24 + 30 * i, 250, 22);
        CaptionColours::paint(m_axes[i], CaptionColours::black());
        m_fields[i] = new QLineEdit(group());
        m_fields[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        m_fields[i]->setGeometry(280, 23 + 30 * i, 150, 24);
        m_fields[i]->setEnabled(false);
        m_fields[i]->installEventFilter(this);
        QCheckBox *axis = m_axes[i];
        QLineEdit *field = m_fields[i];
        connect(axis, &QCheckBox::toggled, this, [axis, field](bool on) {
            if (!on)
                field->clear();
            field->setEnabled(on);
            CaptionColours::paint(axis, on ? CaptionColours::windowText() : CaptionColours::grey());
        });
    }
    m_plus = new QCheckBox(group());
    m_plus->setObjectName(QStringLiteral("CheckBox4"));
    m_plus->setGeometry(16, 112, 450, 22);
    CaptionColours::paint(m_plus, CaptionColours::black());
    connect(m_plus, &QCheckBox::clicked, this, [this](bool on) {
        CaptionColours::paint(m_plus, on ? CaptionColours::windowText() : CaptionColours::grey());
    });
}

bool TForm_EDT4::eventFilter(QObject *watched, QEvent *event)
{
    // Typed characters other than digits, signs and the system's decimal
    // separator are dropped; control keys (Backspace, paste) pass.
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text[0].unicode() >= 32) {
            const QChar c = text[0];
            const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+')
                                 || c == QLatin1Char('-') || c == SystemFormats::decimalSeparator();
            if (!allowed)
                return true;
        }
    }
    return ToolWindow::eventFilter(watched, event);
}

std::unique_ptr<LineTool> TForm_EDT4::makeTool() const
{
    TranslateTool::Axis axes[3];
    for (int i = 0; i < 3; ++i) {
        axes[i].on = m_axes[i]->isChecked();
        axes[i].increment = m_fields[i]->text();
    }
    return std::make_unique<TranslateTool>(axes[0], axes[1], axes[2], m_plus->isChecked());
}

QWidget *createForm_EDT4() { return new TForm_EDT4; }
