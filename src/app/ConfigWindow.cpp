#include "ConfigWindow.h"

#include "AppState.h"
#include "Application.h"
#include "MainWindow.h"
#include "Ribbon.h"
#include "Settings.h"
#include "Startup.h"
#include "WindowFactories.h"
#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "machines/Database.h"
#include "machines/ServerAddress.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

TForm_Config::TForm_Config(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Config"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(8);
    // Fixed size that follows the texts: long captions widen the window
    // instead of being cut off.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The help button of this window has no page.
    auto *ribbon = new Ribbon(this);
    ribbon->setMinimumHeight(40);
    layout->addWidget(ribbon);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox3"));
    // The same width in every language unless a text needs more.
    group->setMinimumWidth(560);
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(10, 12, 10, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);

    auto *label1 = new QLabel(group);
    label1->setObjectName(QStringLiteral("Label1"));
    m_edit1 = new QLineEdit(group);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setReadOnly(true);
    m_edit1->setMinimumWidth(300);
    m_bitBtn2 = new QPushButton(group);
    m_bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    m_bitBtn2->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_bitBtn2->setIconSize(QSize(20, 20));
    m_bitBtn2->setFixedSize(32, 32);
    m_bitBtn2->setAutoDefault(false);

    // A database on a server shared by the shop's workstations instead of a file.
    m_serverButton = new QPushButton(group);
    m_serverButton->setObjectName(QStringLiteral("BitBtnServer"));
    m_serverButton->setMinimumHeight(32);
    m_serverButton->setAutoDefault(false);

    auto *label2 = new QLabel(group);
    label2->setObjectName(QStringLiteral("Label2"));
    m_comboBox1 = new QComboBox(group);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setEditable(false);
    m_comboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_comboBox1->setMinimumWidth(180);
    label1->setBuddy(m_edit1);
    label2->setBuddy(m_comboBox1);

    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_edit1, 0, 1);
    grid->addWidget(m_bitBtn2, 0, 2);
    grid->addWidget(m_serverButton, 0, 3);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(m_comboBox1, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto *groupRow = new QHBoxLayout;
    groupRow->setContentsMargins(8, 0, 8, 0);
    groupRow->addWidget(group);
    layout->addLayout(groupRow);

    m_bitBtn1 = new QPushButton(this);
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setMinimumSize(97, 30);
    m_bitBtn1->setDefault(true);
    m_bitBtn3 = new QPushButton(this);
    m_bitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    m_bitBtn3->setMinimumSize(97, 30);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addStretch(1);
    buttons->addWidget(m_bitBtn1);
    buttons->addWidget(m_bitBtn3);
    layout->addLayout(buttons);

    connect(m_comboBox1, qOverload<int>(&QComboBox::activated), this, [this] { ComboBox1Change(); });
    connect(m_bitBtn2, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(m_serverButton, &QPushButton::clicked, this, [this] { guarded([this] { serverButtonClick(); }); });
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(m_bitBtn3, &QPushButton::clicked, this, &TForm_Config::BitBtn3Click);
}

const QStringList &TForm_Config::languageCodes()
{
    static const QStringList codes{QStringLiteral("EN"), QStringLiteral("PT-BR"), QStringLiteral("ES"),
                                   QStringLiteral("FR"), QStringLiteral("DE")};
    return codes;
}

void TForm_Config::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm_Config::FormShow()
{
    m_edit1->setText(app().DatabaseFile);
    m_serverButton->setText(Texts::extra("Extra.ServerAddressButton"));
    const int position = languageCodes().indexOf(app().LanguageCode);
    if (position >= 0) {
        const QSignalBlocker block(m_comboBox1);
        m_comboBox1->setCurrentIndex(position);
    }
    m_databaseFileAccepted = false;
    m_chosenLanguageCode = app().LanguageCode;
}

void TForm_Config::ComboBox1Change()
{
    const int position = m_comboBox1->currentIndex();
    if (position >= 0 && position < languageCodes().size())
        m_chosenLanguageCode = languageCodes().at(position);
}

void TForm_Config::BitBtn2Click()
{
    const QString folder = app().DatabaseFile.isEmpty() || ServerAddress::isServerUrl(app().DatabaseFile)
                               ? QString()
                               : QFileInfo(app().DatabaseFile).absolutePath();
    const QString path = QDir::toNativeSeparators(dialogs().openFile(this, QString(), folder, QString()));
    if (path.isEmpty())
        return;
    m_chosenDatabaseFile = path;
    try {
        TDataModule1::trialConnection(path);
    } catch (const std::exception &) {
        // The provider's own reason is not shown: the message says what matters,
        // that this file is no machine database.
        m_databaseFileAccepted = false;
        Msg::error(T("Form_Config.MSG01") + path + QLatin1Char('"') + QLatin1Char('\r') + T("Form_Config.MSG02"));
        return;
    }
    m_databaseFileAccepted = true;
    m_edit1->setText(path);
}

void TForm_Config::serverButtonClick()
{
    const QString current = ServerAddress::isServerUrl(app().DatabaseFile) ? app().DatabaseFile
                                                                           : QStringLiteral("postgresql://");
    const std::optional<QString> typed =
        dialogs().askText(this, Texts::extra("Extra.ServerAddressPrompt"), current, false);
    if (!typed || typed->trimmed().isEmpty())
        return;
    const QString url = typed->trimmed();
    m_chosenDatabaseFile = url;
    try {
        TDataModule1::trialConnection(url);
    } catch (const Error &e) {
        // For a server the reason is what the user needs: the address, the
        // password or the server itself.
        m_databaseFileAccepted = false;
        Msg::error(e.message());
        return;
    }
    m_databaseFileAccepted = true;
    m_edit1->setText(url);
}

void TForm_Config::BitBtn1Click()
{
    AppState &state = app();
    QString error;
    if (state.LanguageCode != m_chosenLanguageCode) {
        if (!Settings::writeLanguage(state, m_chosenLanguageCode, &error))
            throw Error(error);
        state.HelpDirectory = state.helpDirectoryFor(state.LanguageCode);
        Application::applyLanguage();
    }
    if (m_databaseFileAccepted) {
        if (!Settings::writeDatabaseFile(state, m_chosenDatabaseFile, &error))
            throw Error(error);
        TDataModule1::instance().reconnect(state.DatabaseFile);
        if (TForm_Main *main = TForm_Main::instance()) {
            startMachineLists(main);
            refreshBrowserColumns(main);
        }
    }
    accept();
}

void TForm_Config::BitBtn3Click() { reject(); }

QWidget *createForm_Config() { return new TForm_Config; }
