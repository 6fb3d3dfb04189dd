#pragma once

#include "transfer/SerialTables.h"

class QGridLayout;
class QLineEdit;
class QWidget;

// The port fields both serial windows show: "COM Port :" to "Flow Control :" (Label1 to
// Label6) with the read-only fields Edit1 to Edit6, in two columns of three rows.
class SerialPortFields
{
public:
    // Adds the fields to grid, which has four columns (label, field, label, field), from row on.
    SerialPortFields(QWidget *parent, QGridLayout *grid, int row);

    void show(const SerialTables::SerialFieldTexts &texts);

private:
    QLineEdit *m_edits[6];
};
