#include "ColourWindow.h"

#include "ColourText.h"
#include "HighlighterZVRD.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "app/Settings.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// The label of row n is not LabelN everywhere: the "()" row took Label3.
int labelNumber(int row)
{
    if (row <= 2 || row >= 21)
        return row;
    if (row == 20)
        return 3;
    return row + 1;
}

} // namespace

TForm_EDT_COR::TForm_EDT_COR(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_EDT_COR"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(561, 509);

    auto *ribbon = new Ribbon(this);
    ribbon->setGeometry(0, 0, 561, 40);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func05.10.html")); });

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 46, 545, 405);
    // Each row: caption, colour name, the colour's square and, beside it (not
    // over half of it), the button that changes it.
    for (int row = 1; row <= Rows; ++row) {
        const bool left = row <= 12;
        const int x = left ? 10 : 276;
        const int y = 25 + ((left ? row : row - 12) - 1) * 30;
        auto *label = new QLabel(group);
        label->setObjectName(QStringLiteral("Label%1").arg(labelNumber(row)));
        label->setGeometry(x, y + 3, 90, 18);
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("Edit%1").arg(row));
        edit->setReadOnly(true);
        edit->setGeometry(x + 92, y, 112, 22);
        auto *shape = new QFrame(group);
        shape->setObjectName(QStringLiteral("Shape%1").arg(row));
        shape->setFrameShape(QFrame::Box);
        shape->setAutoFillBackground(true);
        shape->setGeometry(x + 208, y, 22, 22);
        auto *button = new QToolButton(group);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(row));
        button->setText(QStringLiteral("..."));
        button->setGeometry(x + 233, y, 28, 22);
        connect(button, &QToolButton::clicked, this, [this, row] { SpeedButtonClick(row); });
        m_edits[row - 1] = edit;
        m_shapes[row - 1] = shape;
    }

    auto *apply = new QPushButton(this);
    apply->setObjectName(QStringLiteral("BitBtn1"));
    apply->setGeometry(349, 466, 97, 30);
    apply->setDefault(true);
    connect(apply, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("BitBtn3"));
    cancel->setGeometry(454, 466, 97, 30);
    connect(cancel, &QPushButton::clicked, this, &TForm_EDT_COR::BitBtn3Click);
}

void TForm_EDT_COR::setRow(int row, int value)
{
    m_values[row - 1] = value;
    m_edits[row - 1]->setText(colourText(value));
    QPalette pal = m_shapes[row - 1]->palette();
    pal.setColor(QPalette::Window, colourFromValue(value));
    m_shapes[row - 1]->setPalette(pal);
}

void TForm_EDT_COR::fillFromSettings()
{
    for (int row = 1; row <= Rows; ++row)
        setRow(row, app().Colours.values[row - 1]);
}

void TForm_EDT_COR::showEvent(QShowEvent *event)
{
    fillFromSettings();
    QDialog::showEvent(event);
}

void TForm_EDT_COR::SpeedButtonClick(int row)
{
    // The colour dialog opens on the colour it returned last, as the system one does.
    const std::optional<QColor> chosen = dialogs().pickColour(this, m_lastPicked);
    if (!chosen)
        return;
    m_lastPicked = *chosen;
    setRow(row, valueFromColour(*chosen));
}

void TForm_EDT_COR::BitBtn1Click()
{
    int colours[Rows];
    for (int i = 0; i < Rows; ++i)
        colours[i] = m_values[i];
    QString error;
    if (!Settings::writeColours(app(), colours, &error))
        throw Error(error);
    m_applied = true;
    accept();
}

void TForm_EDT_COR::BitBtn3Click() { reject(); }

QWidget *createForm_EDT_COR() { return new TForm_EDT_COR; }
