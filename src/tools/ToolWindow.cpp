#include "ToolWindow.h"

#include "EditorToolLines.h"
#include "LineTool.h"
#include "ProgressWindow.h"
#include "ToolSpinBox.h"
#include "app/AppState.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int WindowWidth = 494;
constexpr int MaxLine = 100000000;

// The progress window's view of a run. Window messages go through every 25 ms
// rather than on every line, which keeps a 1,000,000-line run fast and still
// notices Cancel well within a tenth of a second.
class ProgressMonitor : public ToolRunMonitor
{
public:
    explicit ProgressMonitor(TForm_EDT_Progress *progress) : m_progress(progress) { m_sinceEvents.start(); }

    void processEvents() override
    {
        if (m_first || m_sinceEvents.elapsed() >= 25) {
            m_first = false;
            QApplication::processEvents();
            m_sinceEvents.restart();
        }
    }
    void showProgress(int position, qint64 percent) override { m_progress->showProgress(position, percent); }
    bool cancelRequested() const override { return app().CancelRequested; }

private:
    TForm_EDT_Progress *m_progress;
    QElapsedTimer m_sinceEvents;
    bool m_first = true;
};

} // namespace

namespace CaptionColours {
QColor navy() { return QColor(0, 0, 128); }
QColor black() { return QColor(0, 0, 0); }
QColor windowText() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }
QColor grey() { return QApplication::palette().color(QPalette::Disabled, QPalette::WindowText); }
void paint(QWidget *control, const QColor &colour)
{
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    control->setPalette(p);
}
QColor of(const QWidget *control) { return control->palette().color(QPalette::WindowText); }
} // namespace CaptionColours

ToolWindow::ToolWindow(const char *objectName, const char *groupName, const char *helpPage, int groupHeight)
{
    setObjectName(QLatin1String(objectName));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    auto *ribbon = new Ribbon(this);
    ribbon->setGeometry(0, 0, WindowWidth, 40);
    const QString page = QLatin1String(helpPage);
    connect(ribbon, &Ribbon::helpRequested, this, [page] { shell().openHelpPage(app().HelpDirectory + page); });

    m_group = new QGroupBox(this);
    m_group->setObjectName(QLatin1String(groupName));
    m_group->setGeometry(8, 46, WindowWidth - 16, groupHeight);

    // The range controls sit in a panel of their own so that their radio
    // buttons form a group apart from the tool's.
    const int rangeTop = 46 + groupHeight + 6;
    auto *rangePanel = new QWidget(this);
    rangePanel->setObjectName(QStringLiteral("Panel1"));
    rangePanel->setGeometry(8, rangeTop, WindowWidth - 16, 56);
    m_wholeFile = new QRadioButton(rangePanel);
    m_wholeFile->setObjectName(QStringLiteral("RadioButton3"));
    m_wholeFile->setChecked(true);
    m_lineRange = new QRadioButton(rangePanel);
    m_lineRange->setObjectName(QStringLiteral("RadioButton4"));
    m_first = new ToolSpinBox(rangePanel, 1, MaxLine, 1, 1);
    m_first->setObjectName(QStringLiteral("SpinEdit1"));
    m_first->setFixedSize(110, 24);
    m_up = new QLabel(rangePanel);
    m_up->setObjectName(QStringLiteral("Label1"));
    m_last = new ToolSpinBox(rangePanel, 1, MaxLine, 1, 1);
    m_last->setObjectName(QStringLiteral("SpinEdit2"));
    m_last->setFixedSize(110, 24);
    // Laid out rather than placed: "Übernehmen Sie von der Linie" is wider than "Apply the
    // line", and the line boxes move aside for it instead of covering it.
    auto *rangeLayout = new QGridLayout(rangePanel);
    rangeLayout->setContentsMargins(4, 2, 4, 2);
    rangeLayout->setHorizontalSpacing(6);
    rangeLayout->setVerticalSpacing(4);
    rangeLayout->setColumnMinimumWidth(0, 138);
    rangeLayout->addWidget(m_wholeFile, 0, 0, 1, 5);
    rangeLayout->addWidget(m_lineRange, 1, 0);
    rangeLayout->addWidget(m_first, 1, 1);
    rangeLayout->addWidget(m_up, 1, 2);
    rangeLayout->addWidget(m_last, 1, 3);
    rangeLayout->setColumnStretch(4, 1);
    const auto enableRange = [this](bool on) {
        m_first->setEnabled(on);
        m_last->setEnabled(on);
        m_up->setEnabled(on);
    };
    enableRange(false);
    connect(m_lineRange, &QRadioButton::toggled, this, enableRange);

    const int buttonsTop = rangeTop + 62;
    m_apply = new QPushButton(this);
    m_apply->setObjectName(QStringLiteral("BitBtn1"));
    m_apply->setGeometry(WindowWidth - 8 - 97 - 8 - 97, buttonsTop, 97, 30);
    m_apply->setDefault(true);
    connect(m_apply, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("BitBtn3"));
    m_cancel->setGeometry(WindowWidth - 8 - 97, buttonsTop, 97, 30);
    connect(m_cancel, &QPushButton::clicked, this, &ToolWindow::BitBtn3Click);

    setFixedSize(WindowWidth, buttonsTop + 30 + 8);
}

ToolRange ToolWindow::range() const
{
    ToolRange range;
    range.wholeFile = !m_lineRange->isChecked();
    range.firstLine = m_first->currentValue();
    range.lastLine = m_last->currentValue();
    return range;
}

void ToolWindow::BitBtn1Click()
{
    if (!mayRun())
        return;
    const std::unique_ptr<LineTool> tool = makeTool();
    run(*tool);
}

void ToolWindow::BitBtn3Click() { reject(); }

void ToolWindow::run(LineTool &tool)
{
    EditorArea *area = EditorArea::instance();
    CncEditor *editor = area ? area->CurrentEditor() : nullptr;
    TForm_EDT_Progress *progress = TForm_EDT_Progress::instance();
    TForm_Main *main = TForm_Main::instance();
    if (!editor || !progress || !main) {
        reject();
        return;
    }

    hide();
    app().CancelRequested = true;
    progress->start(tool.statusText());
    app().CancelRequested = false;
    progress->setMaximum(editor->count());
    const ToolRange range = this->range();
    const QString title = tool.historyTitle();
    const QStringList details = tool.historyDetails();

    EditorToolLines lines(*editor, *editor);
    ProgressMonitor monitor(progress);
    ToolRunResult result;
    try {
        result = FUNC_Aplicar_Ferramenta(lines, tool, range, &monitor);
    } catch (const ToolLineError &error) {
        // The lines changed so far stay changed, as with Cancel; no entry.
        progress->close();
        reject();
        dialogs().errorBox(error.message());
        return;
    }
    if (result.cancelled) {
        progress->close();
        reject();
        return;
    }
    main->FUNC_Historico(title, details.value(0), details.value(1), details.value(2), range.historyLine());
    editor->setModified(true);
    progress->close();
    accept();
    main->showMaximized();
}
