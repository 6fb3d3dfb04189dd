#include "FileCopy.h"

#include "FileCopier.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <memory>

namespace {

FileCopier::Answer askOverwrite(const QString &target)
{
    const int buttons = Dialogs::Yes | Dialogs::No | Dialogs::YesToAll | Dialogs::Cancel;
    // No is the default: Enter alone never replaces a program.
    switch (dialogs().message(Dialogs::Icon::Question, Texts::extra("Extra.CopyOverwriteQuestion").arg(target),
                              buttons, Dialogs::No)) {
    case Dialogs::Yes: return FileCopier::Answer::Yes;
    case Dialogs::YesToAll: return FileCopier::Answer::YesToAll;
    case Dialogs::No: return FileCopier::Answer::No;
    default: return FileCopier::Answer::Cancel;
    }
}

// The progress window appears only when a copy lasts (QProgressDialog's own
// estimate against its minimum duration).
class CopyProgress
{
public:
    bool update(qint64 done, qint64 total, const QString &source)
    {
        if (!m_dialog) {
            m_dialog.reset(new QProgressDialog(QApplication::activeWindow()));
            m_dialog->setWindowTitle(Texts::extra("Extra.CopyProgressTitle"));
            m_dialog->setCancelButtonText(Texts::extra("Extra.Cancel"));
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setMinimumDuration(500);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
            m_dialog->setRange(0, Scale);
            m_dialog->setMinimumWidth(480);
        }
        if (source != m_source) {
            m_source = source;
            m_dialog->setLabelText(Texts::extra("Extra.CopyProgressText").arg(QFileInfo(source).fileName()));
        }
        const int value = total > 0 ? int(done * Scale / total) : Scale;
        m_dialog->setValue(qBound(0, value, Scale - 1));
        return !m_dialog->wasCanceled();
    }

private:
    static constexpr int Scale = 1000;
    std::unique_ptr<QProgressDialog> m_dialog;
    QString m_source;
};

} // namespace

CopyReport copyForTransfer(const QString &source, const QString &target, bool verify,
                           const std::function<void(const QString &)> &beforeReadBack)
{
    CopyReport report;
    if (source.isEmpty() || target.isEmpty())
        return report;
    CopyProgress progress;
    FileCopier copier;
    copier.setOverwriteQuestion(askOverwrite);
    copier.setProgress([&progress](qint64 done, qint64 total, const QString &current) {
        return progress.update(done, total, current);
    });
    copier.setVerify(verify);
    if (beforeReadBack)
        copier.setBeforeReadBack(beforeReadBack);
    report.outcome = copier.copy(source, target);
    report.target = copier.resolvedTarget();
    report.bytes = copier.copiedBytes();
    report.sourceHash = copier.sourceHash();
    report.targetHash = copier.targetHash();
    report.targetSize = copier.targetSize();
    report.sourceSize = copier.sourceSize();
    report.failedPath = copier.failedPath();
    if (report.outcome == FileCopier::Outcome::Failed) {
        report.error = Texts::extra("Extra.CopyFailed").arg(copier.failedPath(), copier.errorString());
        Msg::error(report.error);
    } else if (report.outcome == FileCopier::Outcome::VerificationFailed) {
        report.error = copier.errorString();
    }
    return report;
}

bool FUNC_Copiar_Arquivo(const QString &source, const QString &target)
{
    return copyForTransfer(source, target, false).outcome == FileCopier::Outcome::Copied;
}
