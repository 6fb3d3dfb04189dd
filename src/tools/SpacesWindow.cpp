#include "SpacesWindow.h"

#include "SpacesTool.h"

#include <QGroupBox>
#include <QRadioButton>

TForm_EDT1::TForm_EDT1() : ToolWindow("Form_EDT1", "GroupBox3", "func05.4.html", 60)
{
    m_add = new QRadioButton(group());
    m_add->setObjectName(QStringLiteral("RadioButton2"));
    m_add->setGeometry(16, 26, 200, 22);
    m_remove = new QRadioButton(group());
    m_remove->setObjectName(QStringLiteral("RadioButton1"));
    m_remove->setGeometry(240, 26, 200, 22);
}

std::unique_ptr<LineTool> TForm_EDT1::makeTool() const
{
    const auto mode = m_remove->isChecked() ? SpacesTool::Mode::Remove
                      : m_add->isChecked()  ? SpacesTool::Mode::Add
                                            : SpacesTool::Mode::None;
    return std::make_unique<SpacesTool>(mode);
}

QWidget *createForm_EDT1() { return new TForm_EDT1; }
