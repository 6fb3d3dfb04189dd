#include "SerialPortFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

SerialPortFields::SerialPortFields(QWidget *parent, QGridLayout *grid, int row)
{
    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(parent);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        label->setBuddy(edit);
        const int column = i < 3 ? 0 : 2;
        grid->addWidget(label, row + i % 3, column);
        grid->addWidget(edit, row + i % 3, column + 1);
        m_edits[i] = edit;
    }
}

void SerialPortFields::show(const SerialTables::SerialFieldTexts &texts)
{
    const QString values[6] = {texts.port, texts.speed, texts.dataBits, texts.parity, texts.stopBits, texts.flow};
    for (int i = 0; i < 6; ++i)
        m_edits[i]->setText(values[i]);
}
