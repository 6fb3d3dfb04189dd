#pragma once

#include <QDialog>
#include <QTextBrowser>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QToolButton;
class QPushButton;
class QLabel;

// The help pages shown inside the application, so that help needs no browser:
// links, back and forward, and a search over every page of the language. The
// browser reads a page's blocks and pictures so that they fit its width.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // The page got so much narrower or wider that its pictures should be fitted again.
    void pageWidthChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int pictureRoom() const;
    int m_loadedRoom = 0;
};

class HelpWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows `path` (a page of the help tree) in the one help window of the run,
    // over the window that asked for it; a missing page is said in the window.
    static void showHelpPage(const QString &path);
    // The help window when it exists.
    static HelpWindow *instance();
    // Ends the help window (with the other windows at the end of a run).
    static void destroy();

    void showPage(const QString &path);
    void retranslate();
    // The search of the search box over the pages of the current language.
    void searchClick();

    HelpBrowser *browser() const { return m_browser; }

private:
    void linkClicked(const QUrl &url);
    void showMissing(const QString &path);
    void resultActivated(QListWidgetItem *item);
    void backClick();
    void updateButtons();

    QToolButton *m_back;
    QToolButton *m_forward;
    QLineEdit *m_searchEdit;
    QPushButton *m_searchButton;
    QLabel *m_resultsLabel;
    QListWidget *m_results;
    HelpBrowser *m_browser;
    QString m_lastQuery;
    bool m_showingMissing = false;
};
