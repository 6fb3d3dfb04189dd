#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ScriptedDialogs.h"

#include <QtTest>

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void scriptedAnswersInOrderThenDefault();
    void guardedShowsTheErrorsOwnText();
};

void tst_Dialogs::scriptedAnswersInOrderThenDefault()
{
    ScriptedDialogs d;
    d.answer(Dialogs::No);
    QVERIFY(!Msg::question(QStringLiteral("QUESTION: first")));
    QVERIFY(Msg::question(QStringLiteral("QUESTION: second"))); // default Yes
    Msg::attention(QStringLiteral("ATTENTION: third"));
    QCOMPARE(d.messages(), (QStringList{QStringLiteral("QUESTION: first"), QStringLiteral("QUESTION: second"),
                                        QStringLiteral("ATTENTION: third")}));
    QCOMPARE(d.calls().at(0).icon, Dialogs::Icon::Question);
    QCOMPARE(d.calls().at(0).buttons, Dialogs::Yes | Dialogs::No);
    QCOMPARE(d.calls().at(2).icon, Dialogs::Icon::Warning);
    QCOMPARE(dialogs().openFile(nullptr, QString(), QString(), QString()), QString()); // cancelled
}

void tst_Dialogs::guardedShowsTheErrorsOwnText()
{
    ScriptedDialogs d;
    QVERIFY(guarded([] {}));
    QVERIFY(!guarded([] { throw Error(QStringLiteral("file not found: /x/y.nc")); }));
    QCOMPARE(d.last().kind, QStringLiteral("error"));
    QCOMPARE(d.last().text, QStringLiteral("file not found: /x/y.nc"));
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
