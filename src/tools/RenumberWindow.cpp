#include "RenumberWindow.h"

#include "RenumberTool.h"
#include "ToolSpinBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace {
constexpr int MaxValue = 100000000;
}

TForm_EDT2::TForm_EDT2() : ToolWindow("Form_EDT2", "GroupBox2", "func05.5.html", 146)
{
    m_digitsOn = new QCheckBox(group());
    m_digitsOn->setObjectName(QStringLiteral("CheckBox1"));
    m_digitsOn->setGeometry(16, 26, 200, 22);
    // The padding is bounded (see MaxBlockDigits); the box shows the bound.
    m_digits = new ToolSpinBox(group(), 1, MaxBlockDigits, 1, 1);
    m_digits->setObjectName(QStringLiteral("SpinEdit3"));
    m_digits->setGeometry(240, 24, 110, 24);
    m_digits->setEnabled(false);

    m_renumber = new QCheckBox(group());
    m_renumber->setObjectName(QStringLiteral("CheckBox3"));
    m_renumber->setGeometry(16, 56, 210, 22);
    m_startLabel = new QLabel(group());
    m_startLabel->setObjectName(QStringLiteral("Label2"));
    m_startLabel->setGeometry(34, 84, 200, 20);
    m_start = new ToolSpinBox(group(), 0, MaxValue, 0, 0);
    m_start->setObjectName(QStringLiteral("SpinEdit4"));
    m_start->setGeometry(240, 82, 110, 24);
    m_start->setEnabled(false);
    m_incrementLabel = new QLabel(group());
    m_incrementLabel->setObjectName(QStringLiteral("Label3"));
    m_incrementLabel->setGeometry(34, 114, 200, 20);
    m_increment = new ToolSpinBox(group(), 1, MaxValue, 1, 1);
    m_increment->setObjectName(QStringLiteral("SpinEdit5"));
    m_increment->setGeometry(240, 112, 110, 24);
    m_increment->setEnabled(false);

    // Navy until the first click, then the window-text colour when checked
    // and grey when not.
    for (QWidget *caption : {static_cast<QWidget *>(m_digitsOn), static_cast<QWidget *>(m_renumber),
                             static_cast<QWidget *>(m_startLabel), static_cast<QWidget *>(m_incrementLabel)})
        CaptionColours::paint(caption, CaptionColours::navy());

    connect(m_digitsOn, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_digits->setValue(1);
        m_digits->setEnabled(on);
        CaptionColours::paint(m_digitsOn, on ? CaptionColours::windowText() : CaptionColours::grey());
    });
    connect(m_renumber, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) {
            m_start->setValue(0);
            m_increment->setValue(1);
        }
        m_start->setEnabled(on);
        m_increment->setEnabled(on);
        const QColor colour = on ? CaptionColours::windowText() : CaptionColours::grey();
        CaptionColours::paint(m_renumber, colour);
        CaptionColours::paint(m_startLabel, colour);
        CaptionColours::paint(m_incrementLabel, colour);
    });
}

std::unique_ptr<LineTool> TForm_EDT2::makeTool() const
{
    RenumberTool::Options options;
    options.digitsOn = m_digitsOn->isChecked();
    options.digits = m_digits->currentValue();
    options.renumber = m_renumber->isChecked();
    options.start = m_start->currentValue();
    options.increment = m_increment->currentValue();
    return std::make_unique<RenumberTool>(options);
}

QWidget *createForm_EDT2() { return new TForm_EDT2; }
