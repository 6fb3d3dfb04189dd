#include "ConfirmReplaceDialog.h"

#include "SearchState.h"
#include "lang/Texts.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

ConfirmReplaceDialog::ConfirmReplaceDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ConfirmReplaceDialog"));
    setWindowTitle(QStringLiteral("ConfirmReplaceDialog"));
    setFixedSize(418, 284);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    image->setGeometry(16, 16, 32, 32);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblConfirmation"));
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    // The question may quote a long search text: it has the room down to the buttons.
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setGeometry(60, 24, 342, 166);

    auto button = [this](const char *name, const QString &text, int x, int y, int code) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, 120, 30);
        connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
        return b;
    };
    m_replace = button("btnReplace", QStringLiteral("&Yes"), 16, 200, Replace);
    m_skip = button("btnSkip", QStringLiteral("&No"), 146, 200, Skip);
    m_cancel = button("btnCancel", QStringLiteral("Cancel"), 276, 200, Rejected);
    m_replaceAll = button("btnReplaceAll", QStringLiteral("Yes to &all"), 16, 240, ReplaceAll);
    m_replace->setDefault(true);
}

void ConfirmReplaceDialog::PrepareShow(const QRect &area, int x, int lineTop, int lineBottom, const QString &search)
{
    // Some translations write the place of the text as "% s".
    QString text = Texts::text("ConfirmReplaceDialog.MSG01");
    const qsizetype at = text.indexOf(QStringLiteral("%s")) >= 0 ? text.indexOf(QStringLiteral("%s"))
                                                                 : text.indexOf(QStringLiteral("% s"));
    if (at >= 0)
        text.replace(at, text.at(at + 1) == QLatin1Char(' ') ? 3 : 2, search);
    m_label->setText(text);
    move(confirmDialogPosition(frameGeometry().size(), area, x, lineTop, lineBottom));
}
