#include "TransferFormParts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace TransferFormParts {

QLineEdit *addField(QGridLayout *grid, const char *labelName, const char *editName, bool readOnly, QLabel **label)
{
    auto *parent = grid->parentWidget();
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(labelName));
    l->setTextFormat(Qt::PlainText);
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(editName));
    edit->setReadOnly(readOnly);
    if (readOnly) {
        // Read-only fields look like the Windows ones: grey, not editable.
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        edit->setPalette(pal);
    }
    l->setBuddy(edit);
    const int row = grid->rowCount();
    grid->addWidget(l, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(edit, row, 1);
    if (label)
        *label = l;
    return edit;
}

QPushButton *button(QWidget *parent, const char *name, const QString &iconName)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    QStyle::StandardPixmap pixmap = QStyle::SP_DialogOkButton;
    if (iconName == QLatin1String("send"))
        pixmap = QStyle::SP_ArrowUp;
    else if (iconName == QLatin1String("receive"))
        pixmap = QStyle::SP_ArrowDown;
    else if (iconName == QLatin1String("select"))
        pixmap = QStyle::SP_DialogApplyButton;
    else if (iconName == QLatin1String("cancel"))
        pixmap = QStyle::SP_DialogCancelButton;
    b->setIcon(QApplication::style()->standardIcon(pixmap));
    b->setAutoDefault(false);
    b->setMinimumHeight(30);
    return b;
}

} // namespace TransferFormParts
