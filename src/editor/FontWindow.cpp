#include "FontWindow.h"

#include "FontSizeBox.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "app/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TForm_Font::TForm_Font(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Font"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(511, 426);

    auto *ribbon = new Ribbon(this);
    ribbon->setGeometry(0, 0, 511, 40);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func05.9.html")); });

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox3"));
    group->setGeometry(8, 46, 495, 330);
    auto *nameLabel = new QLabel(group);
    nameLabel->setObjectName(QStringLiteral("Label1"));
    // Wide enough for the longest translation of the two captions.
    nameLabel->setGeometry(10, 28, 165, 20);
    m_names = new QComboBox(group);
    m_names->setObjectName(QStringLiteral("ComboBox1"));
    m_names->setEditable(false);
    m_names->setGeometry(180, 26, 300, 24);
    auto *sizeLabel = new QLabel(group);
    sizeLabel->setObjectName(QStringLiteral("Label2"));
    sizeLabel->setGeometry(10, 64, 165, 20);
    m_size = new FontSizeBox(group);
    m_size->setObjectName(QStringLiteral("SpinEdit1"));
    m_size->setRange(Settings::MinimumFontSize, Settings::MaximumFontSize);
    m_size->setValue(8);
    m_size->setGeometry(180, 62, 80, 24);
    m_preview = new QLabel(group);
    m_preview->setObjectName(QStringLiteral("Panel1"));
    m_preview->setGeometry(10, 110, 475, 200);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_preview->setLineWidth(2);
    m_preview->setAutoFillBackground(true);
    QPalette pal = m_preview->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_preview->setPalette(pal);

    // Every typeface the system has, once, sorted; fonts installed later appear
    // after a restart.
    QStringList families = QFontDatabase::families();
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    m_names->addItems(families);
    m_names->setCurrentIndex(-1);

    connect(m_names, &QComboBox::currentTextChanged, this, [this](const QString &name) {
        QFont f = m_preview->font();
        f.setFamily(name);
        m_preview->setFont(f);
    });
    connect(m_size, &QSpinBox::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            return;
        QFont f = m_preview->font();
        f.setPointSize(m_size->value());
        m_preview->setFont(f);
    });

    auto *apply = new QPushButton(this);
    apply->setObjectName(QStringLiteral("BitBtn1"));
    apply->setGeometry(299, 386, 97, 30);
    apply->setDefault(true);
    connect(apply, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("BitBtn3"));
    cancel->setGeometry(404, 386, 97, 30);
    connect(cancel, &QPushButton::clicked, this, &TForm_Font::BitBtn3Click);
}

void TForm_Font::fillFromSettings()
{
    m_names->setCurrentIndex(m_names->findText(app().EditorFontName, Qt::MatchFixedString));
    m_size->setValue(app().EditorFontSize);
}

void TForm_Font::showEvent(QShowEvent *event)
{
    fillFromSettings();
    QDialog::showEvent(event);
}

void TForm_Font::BitBtn1Click()
{
    m_size->interpretText();
    const QString name = m_names->currentIndex() >= 0 ? m_names->currentText() : QString();
    QString error;
    if (!Settings::writeFont(app(), name, m_size->value(), &error))
        throw Error(error);
    m_applied = true;
    accept();
}

void TForm_Font::BitBtn3Click() { reject(); }

QWidget *createForm_Font() { return new TForm_Font; }
