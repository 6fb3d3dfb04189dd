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

QComboBox *textBox(QWidget *parent, const char *name, int y)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(110, y, 300, 24);
    return box;
}

QCheckBox *checkBox(QWidget *parent, const char *name, int y)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(10, y, 220, 22);
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
    const int extra = replace ? 40 : 0;
    setFixedSize(436, 351 + extra);

    auto *ribbon = new Ribbon(this);
    ribbon->setGeometry(0, 0, 436, 40);
    const QString page = replace ? QStringLiteral("func05.3.html") : QStringLiteral("func05.2.html");
    connect(ribbon, &Ribbon::helpRequested, this, [page] { shell().openHelpPage(app().HelpDirectory + page); });

    auto *texts = new QGroupBox(this);
    texts->setObjectName(QStringLiteral("GroupBox3"));
    texts->setGeometry(8, 46, 420, 60 + extra);
    auto *findLabel = new QLabel(texts);
    findLabel->setObjectName(QStringLiteral("Label1"));
    findLabel->setGeometry(10, 26, 95, 20);
    m_searchText = textBox(texts, "cbSearchText", 24);
    findLabel->setBuddy(m_searchText);
    if (replace) {
        auto *withLabel = new QLabel(texts);
        withLabel->setObjectName(QStringLiteral("Label2"));
        withLabel->setGeometry(10, 66, 95, 20);
        m_replaceText = textBox(texts, "cbReplaceText", 64);
        withLabel->setBuddy(m_replaceText);
    }

    const int top = 114 + extra;
    auto *options = new QGroupBox(this);
    options->setObjectName(QStringLiteral("gbSearchOptions"));
    options->setGeometry(8, top, 240, 180);
    m_caseSensitive = checkBox(options, "cbSearchCaseSensitive", 24);
    m_wholeWords = checkBox(options, "cbSearchWholeWords", 54);
    m_fromCursor = checkBox(options, "cbSearchFromCursor", 84);
    m_selectedOnly = checkBox(options, "cbSearchSelectedOnly", 114);
    m_regularExpression = checkBox(options, "cbRegularExpression", 144);

    auto *direction = new QGroupBox(this);
    direction->setObjectName(QStringLiteral("rgSearchDirection"));
    direction->setGeometry(256, top, 172, 90);
    m_forward = new QRadioButton(direction);
    m_forward->setGeometry(10, 26, 150, 22);
    m_back = new QRadioButton(direction);
    m_back->setGeometry(10, 56, 150, 22);
    m_forward->setChecked(true);

    auto *ok = new QPushButton(this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(226, height() - 44, 97, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TextSearchDialog::BitBtn1Click);
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("BitBtn3"));
    cancel->setGeometry(331, height() - 44, 97, 30);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    applyTexts();
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
