#include "TransferPanelWindow.h"

#include "app/AppState.h"
#include "app/MessageReport.h"
#include "lang/Texts.h"
#include "app/Ribbon.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Adds a label and a field to the next row of a two-column grid.
QLineEdit *addField(QGridLayout *grid, int number, bool readOnly, QLabel **label)
{
    auto *parent = grid->parentWidget();
    auto *l = new QLabel(parent);
    l->setObjectName(QStringLiteral("Label%1").arg(number));
    l->setTextFormat(Qt::PlainText);
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("Edit%1").arg(number));
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
    *label = l;
    return edit;
}

QPushButton *button(QWidget *parent, const char *name, QStyle::StandardPixmap pixmap)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QApplication::style()->standardIcon(pixmap));
    b->setAutoDefault(false);
    b->setMinimumHeight(30);
    return b;
}

} // namespace

TransferPanelWindow::TransferPanelWindow(const QString &sendHelpPage, const QString &receiveHelpPage, QWidget *parent)
    : QDialog(parent), m_sendHelpPage(sendHelpPage), m_receiveHelpPage(receiveHelpPage)
{
    setWindowTitle(QStringLiteral("Zavrin"));
}

QString TransferPanelWindow::helpPageName() const { return m_send->isHidden() ? m_receiveHelpPage : m_sendHelpPage; }

QString TransferPanelWindow::ribbonCaption() const
{
    const auto *ribbon = findChild<Ribbon *>(QStringLiteral("Ribbon1"));
    return ribbon ? ribbon->caption() : QString();
}

QVBoxLayout *TransferPanelWindow::addPanels(int fieldCount, int bottomMargin,
                                            const std::function<QWidget *(QWidget *box)> &makeList)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, bottomMargin);
    layout->setSpacing(6);
    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [this] { shell().openHelpPage(app().HelpDirectory + helpPageName()); });
    layout->addWidget(ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    layout->addLayout(body, 1);

    auto *fields = new QGroupBox(this);
    fields->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(fields);
    grid->setColumnStretch(1, 1);
    for (int number = 1; number <= fieldCount; ++number) {
        QLabel *label = nullptr;
        m_edits << addField(grid, number, number < fieldCount, &label);
        m_labels << label;
    }
    body->addWidget(fields);

    auto *listBox = new QGroupBox(this);
    listBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *listLayout = new QVBoxLayout(listBox);
    listLayout->addWidget(makeList(listBox));
    body->addWidget(listBox, 1);
    return body;
}

void TransferPanelWindow::addButtons(QVBoxLayout *body)
{
    auto *buttons = new QHBoxLayout;
    m_send = button(this, "BitBtn1", QStyle::SP_ArrowUp);
    m_receive = button(this, "BitBtn2", QStyle::SP_ArrowDown);
    m_select = button(this, "BitBtn4", QStyle::SP_DialogApplyButton);
    m_cancel = button(this, "BitBtn3", QStyle::SP_DialogCancelButton);
    buttons->addWidget(m_select);
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_receive);
    buttons->addWidget(m_cancel);
    body->addLayout(buttons);
    connect(m_send, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(m_receive, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(m_select, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
}

void TransferPanelWindow::reportVerificationFailed(const QString &program, qint64 programBytes, qint64 copyBytes)
{
    const auto bytes = [](qint64 n) {
        return n >= 0 ? QString::number(n) : Texts::extra("Extra.VerificationSizeUnknown");
    };
    if (MessageReport *panel = messageReport())
        panel->report(program, Texts::extra("Extra.VerificationFailedPanel"),
                      {Texts::extra("Extra.VerificationSizes").arg(bytes(programBytes), bytes(copyBytes))},
                      MessageReport::Tone::Alarm);
    Msg::error(Texts::extra("Extra.VerificationFailed").arg(program, bytes(programBytes), bytes(copyBytes)));
}
