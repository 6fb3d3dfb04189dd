#include "GoToWindow.h"

#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Shell.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

GoToWindow::GoToWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_GoTo"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    const QString caption = Texts::extra("Extra.GoToCaption");
    setWindowTitle(caption);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *ribbon = new Ribbon(this);
    ribbon->setCaption(caption);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func05.html")); });
    layout->addWidget(ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 4, 12, 4);
    m_label = new QLabel(Texts::extra("Extra.GoToLabel"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setMinimumWidth(360);
    m_label->setBuddy(m_edit);
    body->addWidget(m_label);
    body->addWidget(m_edit);
    layout->addLayout(body);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 0, 12, 0);
    buttons->addStretch(1);
    auto *ok = new QPushButton(Texts::extra("Extra.OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ok->setMinimumWidth(110);
    ok->setDefault(true);
    auto *cancel = new QPushButton(Texts::extra("Extra.Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel->setMinimumWidth(110);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &GoToWindow::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_edit->setFocus();
}

void GoToWindow::BitBtn1Click()
{
    if (goTo && goTo(m_edit->text())) {
        accept();
        return;
    }
    m_edit->selectAll();
    m_edit->setFocus();
}
