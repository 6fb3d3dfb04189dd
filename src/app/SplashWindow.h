#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QTimer;

// The start-up screen. Its timers run from its creation, so it stays up for what
// remains of five seconds when shown, and closes at once if start-up took longer.
class TForm_Screen : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Screen(QWidget *parent = nullptr);
    static constexpr int DisplayMilliseconds = 5000;
    static constexpr int DotMilliseconds = 500;

    bool expired() const { return m_expired; }
    int exec() override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label;
    QTimer *m_closeTimer;
    QTimer *m_dotTimer;
    QPixmap m_picture;
    bool m_expired = false;
};
