#include "ArcCentreWindow.h"

#include "ArcCentreTool.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>

TForm_EDT3::TForm_EDT3() : ToolWindow("Form_EDT3", "GroupBox3", "func05.6.html", 160)
{
    const auto radio = [this](const char *name, int top) {
        auto *button = new QRadioButton(group());
        button->setObjectName(QLatin1String(name));
        button->setGeometry(16, top, 450, 22);
        return button;
    };
    m_absoluteStart = radio("RadioButton5", 24);
    m_incrementalStart = radio("RadioButton6", 50);
    m_absoluteEnd = radio("RadioButton1", 76);
    m_incrementalEnd = radio("RadioButton2", 102);
    m_plus = new QCheckBox(group());
    m_plus->setObjectName(QStringLiteral("CheckBox1"));
    m_plus->setGeometry(16, 130, 450, 22);
    connect(m_plus, &QCheckBox::clicked, this, [this](bool on) {
        CaptionColours::paint(m_plus, on ? CaptionColours::windowText() : CaptionColours::grey());
    });
}

std::unique_ptr<LineTool> TForm_EDT3::makeTool() const
{
    using Mode = ArcCentreTool::Mode;
    const Mode mode = m_absoluteStart->isChecked()      ? Mode::AbsoluteStart
                      : m_incrementalStart->isChecked() ? Mode::IncrementalStart
                      : m_absoluteEnd->isChecked()      ? Mode::AbsoluteEnd
                      : m_incrementalEnd->isChecked()   ? Mode::IncrementalEnd
                                                        : Mode::None;
    return std::make_unique<ArcCentreTool>(mode, m_plus->isChecked());
}

QWidget *createForm_EDT3() { return new TForm_EDT3; }
