#include "TextSearchDialog.h"

#include "SearchState.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/Shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

QComboBox *textBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QCheckBox *checkBox(QWidget *parent, const char *name)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// An entered text goes to the top of its list; the box keeps showing it.
void confirmText(QComboBox *box)
{
    const QString text = box->currentText();
    if (text.isEmpty())
        return;
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    box->clear();
    box->addItems(withHistoryEntry(entries, text));
    box->setCurrentIndex(0);
}

} // namespace

TextSearchDialog::TextSearchDialog(QWidget *parent) : TextSearchDialog(parent, false) {}

TextSearchDialog::TextSearchDialog(QWidget *parent, bool replace) : QDialog(parent)
{
    setObjectName(replace ? QStringLiteral("TextReplaceDialog") : QStringLiteral("TextSearchDialog"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Zavrin"));

    m_ribbon = new Ribbon(this);
    const QString page = replace ? QStringLiteral("func05.3.html") : QStringLiteral("func05.2.html");
    connect(m_ribbon, &Ribbon::helpRequested, this, [page] { shell().openHelpPage(app().HelpDirectory + page); });

    m_texts = new QGroupBox(this);
    m_texts->setObjectName(QStringLiteral("GroupBox3"));
    m_findLabel = new QLabel(m_texts);
    m_findLabel->setObjectName(QStringLiteral("Label1"));
    m_searchText = textBox(m_texts, "cbSearchText");
    m_findLabel->setBuddy(m_searchText);
    if (replace) {
        m_withLabel = new QLabel(m_texts);
        m_withLabel->setObjectName(QStringLiteral("Label2"));
        m_replaceText = textBox(m_texts, "cbReplaceText");
        m_withLabel->setBuddy(m_replaceText);
    }

    m_options = new QGroupBox(this);
    m_options->setObjectName(QStringLiteral("gbSearchOptions"));
    m_caseSensitive = checkBox(m_options, "cbSearchCaseSensitive");
    m_wholeWords = checkBox(m_options, "cbSearchWholeWords");
    m_fromCursor = checkBox(m_options, "cbSearchFromCursor");
    m_selectedOnly = checkBox(m_options, "cbSearchSelectedOnly");
    m_regularExpression = checkBox(m_options, "cbRegularExpression");

    m_direction = new QGroupBox(this);
    m_direction->setObjectName(QStringLiteral("rgSearchDirection"));
    m_forward = new QRadioButton(m_direction);
    m_back = new QRadioButton(m_direction);
    m_forward->setChecked(true);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &TextSearchDialog::BitBtn1Click);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("BitBtn3"));
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    applyTexts();
    fitToTexts();
}

// 436 pixels hold the English captions; where a translation is longer (a check
// box of the options, "Reemplazar por :") the dialog widens instead of cutting it.
void TextSearchDialog::fitToTexts()
{
    const bool replace = m_replaceText != nullptr;
    const int extra = replace ? 40 : 0;
    const auto hintWidth = [](QWidget *w) { return w ? w->sizeHint().width() : 0; };

    const int labelWidth = qMax(95, qMax(hintWidth(m_findLabel), hintWidth(m_withLabel)));
    const int textsWidth = qMax(420, 10 + labelWidth + 5 + TextBoxWidth + 10);
    int optionsWidth = 240;
    for (QCheckBox *box : {m_caseSensitive, m_wholeWords, m_fromCursor, m_selectedOnly, m_regularExpression})
        optionsWidth = qMax(optionsWidth, 10 + hintWidth(box) + 10);
    int directionWidth = 172;
    for (QRadioButton *button : {m_forward, m_back})
        directionWidth = qMax(directionWidth, 10 + hintWidth(button) + 10);
    const int width = qMax(436, qMax(8 + textsWidth + 8, 8 + optionsWidth + 8 + directionWidth + 8));
    setFixedSize(width, 351 + extra);
    optionsWidth = width - 8 - 8 - directionWidth - 8;

    m_ribbon->setGeometry(0, 0, width, 40);
    m_texts->setGeometry(8, 46, width - 16, 60 + extra);
    m_findLabel->setGeometry(10, 26, labelWidth, 20);
    m_searchText->setGeometry(10 + labelWidth + 5, 24, TextBoxWidth, 24);
    if (replace) {
        m_withLabel->setGeometry(10, 66, labelWidth, 20);
        m_replaceText->setGeometry(10 + labelWidth + 5, 64, TextBoxWidth, 24);
    }
    const int top = 114 + extra;
    m_options->setGeometry(8, top, optionsWidth, 180);
    int y = 24;
    for (QCheckBox *box : {m_caseSensitive, m_wholeWords, m_fromCursor, m_selectedOnly, m_regularExpression}) {
        box->setGeometry(10, y, optionsWidth - 20, 22);
        y += 30;
    }
    m_direction->setGeometry(width - 8 - directionWidth, top, directionWidth, 90);
    m_forward->setGeometry(10, 26, directionWidth - 20, 22);
    m_back->setGeometry(10, 56, directionWidth - 20, 22);
    m_ok->setGeometry(width - 8 - 97 - 8 - 97, height() - 44, 97, 30);
    m_cancel->setGeometry(width - 8 - 97, height() - 44, 97, 30);
}

void TextSearchDialog::applyTexts()
{
    // These dialogs are made anew for every use, so they take their texts
    // themselves: every key of the dialog names a control, or an entry (ItemN) of
    // the direction group.
    const QString prefix = objectName() + QLatin1Char('.');
    const QList<QRadioButton *> directions{m_forward, m_back};
    for (const QString &key : Texts::allKeys()) {
        if (!key.startsWith(prefix))
            continue;
        const QString place = key.mid(prefix.size());
        const QString text = Texts::text(key);
        if (place.startsWith(QLatin1String("rgSearchDirection.Item"))) {
            const int n = place.mid(int(qstrlen("rgSearchDirection.Item"))).toInt();
            if (n >= 0 && n < directions.size())
                directions[n]->setText(text);
        } else if (!place.contains(QLatin1Char('.'))) {
            setControlCaption(findChild<QObject *>(place), text);
        }
    }
}

void TextSearchDialog::BitBtn1Click()
{
    confirmText(m_searchText);
    if (m_replaceText)
        confirmText(m_replaceText);
    accept();
}
