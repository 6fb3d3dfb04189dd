#include "ConnectingNotice.h"

#include "lang/Texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ConnectingNotice::ConnectingNotice(QWidget *parent, const QString &place, std::function<void()> cancel)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConnectingNotice"));
    setWindowTitle(QStringLiteral("Zavrin"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(Texts::extra("Extra.FtpConnecting").arg(place), this);
    label->setObjectName(QStringLiteral("ConnectingText"));
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *button = new QPushButton(Texts::extra("Extra.Cancel"), this);
    button->setObjectName(QStringLiteral("ConnectingCancel"));
    button->setMinimumWidth(110);
    row->addWidget(button);
    row->addStretch(1);
    layout->addLayout(row);
    connect(button, &QPushButton::clicked, this, &QDialog::reject);
    // Escape and the close box reject as well.
    connect(this, &QDialog::rejected, this, [cancel] { cancel(); });
    setMinimumWidth(360);
    adjustSize();
    show();
}
