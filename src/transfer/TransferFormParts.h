#pragma once

#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Pieces the transfer windows share: a labelled field row and a command button.
namespace TransferFormParts {
// Adds a label and a field to the next row of a two-column grid.
QLineEdit *addField(QGridLayout *grid, const char *labelName, const char *editName, bool readOnly,
                    QLabel **label = nullptr);
QPushButton *button(QWidget *parent, const char *name, const QString &iconName);
} // namespace TransferFormParts
