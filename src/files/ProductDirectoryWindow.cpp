#include "ProductDirectoryWindow.h"

#include "BrowserArea.h"
#include "ProductDirectory.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *field(QWidget *parent, const char *name, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(width);
    return edit;
}

QLabel *label(QWidget *parent, const char *name, QLineEdit *buddy)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setBuddy(buddy);
    return l;
}

} // namespace

TForm_DIR::TForm_DIR(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_DIR"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.3.html")); });
    layout->addWidget(ribbon);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setMinimumWidth(648);
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(12, 16, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    m_edit1 = field(group, "Edit1", 480);
    m_edit1->setReadOnly(true);
    m_edit2 = field(group, "Edit2", 325);
    m_edit3 = field(group, "Edit3", 325);
    m_edit4 = field(group, "Edit4", 100);
    const struct { const char *name; QLineEdit *edit; } rows[] = {
        {"Label1", m_edit1}, {"Label2", m_edit2}, {"Label3", m_edit3}, {"Label4", m_edit4}};
    int row = 0;
    for (const auto &r : rows) {
        grid->addWidget(label(group, r.name, r.edit), row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(r.edit, row, 1, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    auto *groupRow = new QHBoxLayout;
    groupRow->setContentsMargins(10, 4, 10, 0);
    groupRow->addWidget(group);
    layout->addLayout(groupRow);

    auto *registerButton = new QPushButton(this);
    registerButton->setObjectName(QStringLiteral("BitBtn1"));
    registerButton->setMinimumSize(110, 30);
    registerButton->setDefault(true);
    connect(registerButton, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    auto *cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("BitBtn3"));
    cancelButton->setMinimumSize(110, 30);
    connect(cancelButton, &QPushButton::clicked, this, &TForm_DIR::BitBtn3Click);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 6, 10, 0);
    buttons->addStretch(1);
    buttons->addWidget(registerButton);
    buttons->addWidget(cancelButton);
    // What the design's height leaves over goes above the buttons, which keep to
    // the bottom edge.
    layout->addStretch(1);
    layout->addLayout(buttons);
}

// Fixed border: the size the texts of the current language need, at least the
// design's client area.
QSize TForm_DIR::sizeHint() const { return QDialog::sizeHint().expandedTo(QSize(668, 281)); }

void TForm_DIR::showEvent(QShowEvent *event)
{
    setFixedSize(sizeHint());
    QDialog::showEvent(event);
}

void TForm_DIR::prepare(const QString &programDirectory)
{
    m_edit1->setText(programDirectory);
    m_edit2->clear();
    m_edit3->clear();
    m_edit4->clear();
    m_edit2->setFocus();
}

void TForm_DIR::BitBtn1Click()
{
    const QString programDirectory = m_edit1->text();
    const QString customer = m_edit2->text();
    const QString product = m_edit3->text();
    const QString revision = m_edit4->text();
    const QString path = ProductDirectory::path(programDirectory, customer, product, revision);

    switch (ProductDirectory::check(programDirectory, customer, product, revision)) {
    case ProductDirectory::Check::CustomerMissing:
        Msg::error(T("Form_DIR.MSG07"));
        m_edit2->setFocus();
        return;
    case ProductDirectory::Check::ProductMissing:
        Msg::error(T("Form_DIR.MSG08"));
        m_edit3->setFocus();
        return;
    case ProductDirectory::Check::RevisionMissing:
        Msg::error(T("Form_DIR.MSG09"));
        m_edit4->setFocus();
        return;
    case ProductDirectory::Check::ProgramDirectoryMissing:
        Msg::error(T("Form_DIR.MSG01") + programDirectory + T("Form_DIR.MSG02"));
        return;
    case ProductDirectory::Check::AlreadyExists:
        Msg::error(T("Form_DIR.MSG03") + path + T("Form_DIR.MSG04"));
        m_edit2->setFocus();
        return;
    case ProductDirectory::Check::Ok:
        break;
    }
    // A name the file system refuses leaves no folder: say so and stay open.
    if (!ProductDirectory::create(path)) {
        Msg::error(Texts::extra("Extra.FolderNotCreated").arg(path));
        return;
    }
    Msg::information(T("Form_DIR.MSG05") + path + T("Form_DIR.MSG06"));
    FUNC_Atualizar_DIR(0, path);
    accept();
}

QWidget *createForm_DIR() { return new TForm_DIR; }
