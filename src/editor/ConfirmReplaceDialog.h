#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Asks about one occurrence during a replace run, placed beside it.
class ConfirmReplaceDialog : public QDialog
{
    Q_OBJECT

public:
    // exec() results besides Rejected (cancel).
    enum Answer { Replace = 10, Skip = 11, ReplaceAll = 12 };

    explicit ConfirmReplaceDialog(QWidget *parent = nullptr);

    // The question for `search`, and the place: beside x, above or below the line
    // from lineTop to lineBottom, inside area (all in screen coordinates).
    void PrepareShow(const QRect &area, int x, int lineTop, int lineBottom, const QString &search);

    QLabel *lblConfirmation() const { return m_label; }
    QPushButton *btnReplace() const { return m_replace; }
    QPushButton *btnSkip() const { return m_skip; }
    QPushButton *btnCancel() const { return m_cancel; }
    QPushButton *btnReplaceAll() const { return m_replaceAll; }

private:
    QLabel *m_label;
    QPushButton *m_replace;
    QPushButton *m_skip;
    QPushButton *m_cancel;
    QPushButton *m_replaceAll;
};
