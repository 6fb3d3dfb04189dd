#include "ProgramViewPanel.h"

#include "ToolpathReport.h"
#include "app/AppState.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int PauseMs = 400; // after the last keystroke
const QString HelpPage = QStringLiteral("func05.13.html");

QString number(const Toolpath &path, double value) { return QString::number(value, 'f', path.inches ? 4 : 3); }

} // namespace

ProgramViewPanel::ProgramViewPanel(QWidget *parent) : QWidget(parent), m_settings(app().mainSettingsPath())
{
    setObjectName(QStringLiteral("ProgramView"));
    m_options.syntax = NumberSyntax::current();
    m_options.rapidRate = m_settings.rapidRate();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    // Two rows, so that the panel can be narrower than the editor beside it:
    // the views and commands, then the settings.
    auto *bar = new QHBoxLayout;
    bar->setSpacing(2);
    auto *settingsBar = new QHBoxLayout;
    settingsBar->setSpacing(2);
    const struct { const char *name; ToolpathCanvas::View view; } views[] = {
        {"ViewTop", ToolpathCanvas::View::Top},
        {"ViewFront", ToolpathCanvas::View::Front},
        {"ViewSide", ToolpathCanvas::View::Side},
        {"View3D", ToolpathCanvas::View::Iso},
        {"ViewLathe", ToolpathCanvas::View::Lathe},
    };
    m_canvas = new ToolpathCanvas(this);
    for (const auto &v : views) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(v.name));
        const ToolpathCanvas::View view = v.view;
        connect(b, &QToolButton::clicked, this, [this, view] { m_canvas->setView(view); });
        bar->addWidget(b);
    }
    auto *fit = new QToolButton(this);
    fit->setObjectName(QStringLiteral("ViewFit"));
    connect(fit, &QToolButton::clicked, m_canvas, &ToolpathCanvas::fitToPath);
    bar->addWidget(fit);
    auto *exportButton = new QToolButton(this);
    exportButton->setObjectName(QStringLiteral("ViewExport"));
    connect(exportButton, &QToolButton::clicked, this, &ProgramViewPanel::exportPicture);
    bar->addWidget(exportButton);
    m_absoluteCentres = new QCheckBox(this);
    m_absoluteCentres->setObjectName(QStringLiteral("ViewAbsoluteIJ"));
    m_diameter = new QCheckBox(this);
    m_diameter->setObjectName(QStringLiteral("ViewDiameter"));
    for (QCheckBox *box : {m_absoluteCentres, m_diameter}) {
        settingsBar->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &ProgramViewPanel::settingChanged);
    }
    // The rapid rate of the time estimate, millimetres per minute.
    auto *rapidLabel = new QLabel(this);
    rapidLabel->setObjectName(QStringLiteral("ViewRapidRateLabel"));
    m_rapidRate = new QDoubleSpinBox(this);
    m_rapidRate->setObjectName(QStringLiteral("ViewRapidRate"));
    m_rapidRate->setRange(ViewSettings::MinRapidRate, ViewSettings::MaxRapidRate);
    m_rapidRate->setDecimals(0);
    m_rapidRate->setValue(m_options.rapidRate);
    // The rate is remembered once it is entered, not at every digit typed.
    m_rapidRate->setKeyboardTracking(false);
    rapidLabel->setBuddy(m_rapidRate);
    connect(m_rapidRate, &QDoubleSpinBox::valueChanged, this, [this](double rate) {
        m_options.rapidRate = rate;
        QString error;
        const bool written = m_settings.setRapidRate(rate, &error);
        reportSettingsError(written, error);
        refresh(true);
    });
    settingsBar->addWidget(rapidLabel);
    settingsBar->addWidget(m_rapidRate);
    settingsBar->addStretch(1);
    bar->addStretch(1);
    // Help as in every window: the page of the view in the current language.
    auto *help = new QToolButton(this);
    help->setObjectName(QStringLiteral("ViewHelp"));
    help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    help->setText(QStringLiteral("?")); // where the style has no such icon
    help->setAutoRaise(true);
    help->setFocusPolicy(Qt::NoFocus);
    connect(help, &QToolButton::clicked, this, [] { shell().openHelpPage(app().HelpDirectory + HelpPage); });
    bar->addWidget(help);
    layout->addLayout(bar);
    layout->addLayout(settingsBar);
    m_settingsError = new QLabel(this);
    m_settingsError->setObjectName(QStringLiteral("ViewSettingsError"));
    m_settingsError->setWordWrap(true);
    m_settingsError->hide();
    layout->addWidget(m_settingsError);
    layout->addWidget(m_canvas, 1);
    m_figures = new QLabel(this);
    m_figures->setObjectName(QStringLiteral("ViewFigures"));
    m_figures->setWordWrap(true);
    m_figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_figures);

    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseMs);
    connect(&m_pause, &QTimer::timeout, this, &ProgramViewPanel::startReading);
    connect(m_canvas, &ToolpathCanvas::lineClicked, this, [this](int line) {
        if (m_editor)
            m_editor->setCaretLine(line);
    });
    applyTexts();
    setEditor(nullptr);
}

ProgramViewPanel::~ProgramViewPanel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void ProgramViewPanel::applyTexts()
{
    const struct { const char *name; const char *key; } texts[] = {
        {"ViewTop", "Extra.ViewTop"}, {"ViewFront", "Extra.ViewFront"}, {"ViewSide", "Extra.ViewSide"},
        {"View3D", "Extra.View3D"}, {"ViewLathe", "Extra.ViewLathe"}, {"ViewFit", "Extra.ViewFit"},
        {"ViewExport", "Extra.ViewExport"},
    };
    for (const auto &t : texts)
        findChild<QToolButton *>(QLatin1String(t.name))->setText(Texts::extraOrEnglish(QLatin1String(t.key)));
    m_absoluteCentres->setText(Texts::extraOrEnglish(QStringLiteral("Extra.ViewAbsoluteIJ")));
    m_diameter->setText(Texts::extraOrEnglish(QStringLiteral("Extra.ViewDiameter")));
    findChild<QToolButton *>(QStringLiteral("ViewHelp"))->setToolTip(Texts::extraOrEnglish(QStringLiteral("Extra.ViewHelp")));
    findChild<QLabel *>(QStringLiteral("ViewRapidRateLabel"))->setText(Texts::extraOrEnglish(QStringLiteral("Extra.ViewRapidRate")));
}

void ProgramViewPanel::setOptions(const ToolpathOptions &options)
{
    m_options = options;
    const QSignalBlocker a(m_absoluteCentres), d(m_diameter), r(m_rapidRate);
    m_rapidRate->setValue(options.rapidRate);
    m_absoluteCentres->setChecked(options.absoluteArcCentres);
    m_diameter->setChecked(options.xIsDiameter);
    refresh();
}

void ProgramViewPanel::showSettings()
{
    const ViewSettings::Folder f = m_settings.folder(m_folder);
    m_options.absoluteArcCentres = f.absoluteArcCentres;
    m_options.xIsDiameter = f.xIsDiameter;
    const QSignalBlocker a(m_absoluteCentres), d(m_diameter);
    m_absoluteCentres->setChecked(f.absoluteArcCentres);
    m_diameter->setChecked(f.xIsDiameter);
}

void ProgramViewPanel::settingChanged()
{
    m_options.absoluteArcCentres = m_absoluteCentres->isChecked();
    m_options.xIsDiameter = m_diameter->isChecked();
    QString error;
    const bool written =
        m_settings.setFolder(m_folder, {m_options.absoluteArcCentres, m_options.xIsDiameter}, &error);
    reportSettingsError(written, error);
    refresh();
}

void ProgramViewPanel::reportSettingsError(bool written, const QString &error)
{
    // The setting holds for this run all the same; the line says it is not kept.
    m_settingsError->setVisible(!written);
    m_settingsError->setText(written ? QString()
                                     : Texts::extraOrEnglish(QStringLiteral("Extra.ViewSettingsNotSaved")).arg(error));
}

void ProgramViewPanel::setEditor(CncEditor *editor, const QString &programPath)
{
    for (const auto &c : m_editorConnections)
        disconnect(c);
    m_editorConnections.clear();
    m_editor = editor;
    m_fitNext = true;
    m_folder = ViewSettings::folderOf(programPath);
    showSettings();
    if (editor) {
        m_editorConnections << connect(editor, &QsciScintilla::textChanged, this, [this] { refresh(true); })
                            << connect(editor, &QsciScintilla::cursorPositionChanged, this,
                                       &ProgramViewPanel::followCaret);
    }
    refresh();
}

void ProgramViewPanel::refresh(bool later)
{
    if (later) {
        m_pause.start();
        return;
    }
    m_pause.stop();
    startReading();
}

void ProgramViewPanel::startReading()
{
    if (m_cancel)
        m_cancel->store(true); // the older reading is of no use any more
    const quint64 generation = ++m_generation;
    applyTexts();
    if (!m_editor) {
        m_reading = false;
        m_canvas->setPath(nullptr, true);
        m_canvas->setMessage(Texts::extraOrEnglish(QStringLiteral("Extra.ViewNoProgram")));
        m_figures->clear();
        emit pathShown();
        return;
    }
    // The text is copied: the editor goes on changing while it is read.
    const long length = m_editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const char *bytes = reinterpret_cast<const char *>(m_editor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    QByteArray text(bytes, int(length));
    m_reading = true;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    const ToolpathOptions options = m_options;
    QPointer<ProgramViewPanel> self(this);
    QThread *thread = QThread::create([text = std::move(text), options, cancel, self, generation] {
        auto path = std::make_shared<const Toolpath>(interpretToolpath(text, options, cancel.get()));
        if (path->cancelled)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [self, path, generation] {
                if (self)
                    self->showPath(path, generation);
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

void ProgramViewPanel::showPath(std::shared_ptr<const Toolpath> path, quint64 generation)
{
    if (generation != m_generation)
        return; // a newer text is being read
    m_reading = false;
    QString message;
    if (path->segments.empty()) {
        if (path->stopLine)
            message = Texts::extraOrEnglish(QStringLiteral("Extra.ViewStopped")).arg(path->stopLine).arg(path->stopReason);
        else if (path->lineCount <= 1 && m_editor && m_editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == 0)
            message = Texts::extraOrEnglish(QStringLiteral("Extra.ViewEmpty"));
        else
            message = Texts::extraOrEnglish(QStringLiteral("Extra.ViewNoMotion"));
    } else if (path->stopLine) {
        message = Texts::extraOrEnglish(QStringLiteral("Extra.ViewStopped")).arg(path->stopLine).arg(path->stopReason);
    }
    m_canvas->setMessage(message);
    if (m_fitNext && !path->segments.empty())
        m_canvas->setView(ToolpathCanvas::suggestedView(*path));
    m_canvas->setPath(path, m_fitNext);
    m_fitNext = false;
    m_figures->setText(figuresText());
    QStringList problems;
    for (const ToolpathProblem &p : path->problems)
        problems << QStringLiteral("%1 %2: %3 (%4)")
                        .arg(problemIdentifier(p.kind), p.code, QString::number(p.firstLine), QString::number(p.count));
    m_figures->setToolTip(problems.join(QLatin1Char('\n')));
    followCaret();
    emit pathShown();
}

QString ProgramViewPanel::figuresText() const
{
    const auto &path = m_canvas->path();
    if (!path || path->segments.empty())
        return QString();
    QStringList axes;
    static const char names[3] = {'X', 'Y', 'Z'};
    for (int a = 0; a < 3; ++a)
        if (path->extents.known[a])
            axes << QStringLiteral("%1 %2 … %3")
                        .arg(QLatin1Char(names[a]))
                        .arg(number(*path, path->extents.min[a]), number(*path, path->extents.max[a]));
    const QString unit = path->inches ? QStringLiteral("in") : QStringLiteral("mm");
    return Texts::extraOrEnglish(QStringLiteral("Extra.ViewFigures"))
        .arg(axes.join(QStringLiteral("   ")), number(*path, path->feedLength), number(*path, path->rapidLength), unit,
             QString::number(estimatedMinutes(*path), 'f', 2), QString::number(path->problems.size()));
}

void ProgramViewPanel::writePicture(const QString &path) const
{
    const QSize size = m_canvas->size();
    QByteArray bytes;
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        bytes = m_canvas->renderSvg(size);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        m_canvas->renderImage(size).save(&buffer, "PNG");
    }
    QString reason;
    if (!SafeFile::write(path, bytes, &reason))
        throw Error(Texts::extraOrEnglish(QStringLiteral("Extra.ViewExportFailed")).arg(path, reason));
}

void ProgramViewPanel::exportPicture()
{
    guarded([this] {
        // Beside the program, under its name.
        const QString program = EditorArea::instance() ? EditorArea::instance()->CurrentFileName() : QString();
        const QFileInfo info(program);
        const QString suggested = program.isEmpty() || !info.isAbsolute()
                                      ? QStringLiteral("toolpath.png")
                                      : info.dir().filePath(info.completeBaseName() + QStringLiteral(".png"));
        const QString path = dialogs().saveFile(this, Texts::extraOrEnglish(QStringLiteral("Extra.ViewExportTitle")),
                                                suggested, QStringLiteral("PNG (*.png);;SVG (*.svg)"));
        if (!path.isEmpty())
            writePicture(path);
    });
}

void ProgramViewPanel::followCaret()
{
    if (!m_editor)
        return;
    int line = 0, index = 0;
    m_editor->getCursorPosition(&line, &index);
    m_canvas->setHighlightLine(line + 1);
}

ProgramViewPanel *installProgramView(QTabWidget *pages)
{
    auto *outer = qobject_cast<QSplitter *>(pages->parentWidget());
    if (!outer)
        return nullptr;
    const int at = outer->indexOf(pages);
    const QList<int> sizes = outer->sizes();
    auto *beside = new QSplitter(Qt::Horizontal);
    beside->setObjectName(QStringLiteral("ProgramViewSplitter"));
    outer->insertWidget(at, beside);
    outer->setStretchFactor(at, 1);
    beside->addWidget(pages);
    auto *panel = new ProgramViewPanel(beside);
    beside->addWidget(panel);
    beside->setStretchFactor(0, 3);
    beside->setStretchFactor(1, 2);
    outer->setSizes(sizes);
    panel->hide();
    // The view follows the active tab; the editor area brings its values in
    // line first.
    QObject::connect(pages, &QTabWidget::currentChanged, panel, [panel] {
        QMetaObject::invokeMethod(panel, [panel] {
            if (panel->isVisible() && EditorArea::instance())
                panel->setEditor(EditorArea::instance()->CurrentEditor(), EditorArea::instance()->CurrentFileName());
        }, Qt::QueuedConnection);
    });
    return panel;
}
