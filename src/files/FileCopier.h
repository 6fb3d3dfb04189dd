#pragma once

#include <QString>
#include <functional>

// Copies a file or a whole folder the way a file manager does: it asks before
// replacing an existing file, reports progress and can be cancelled. Every file
// is written to a temporary name in its target folder and renamed into place
// only when complete, so a failed or cancelled copy never leaves a half-written
// program where a good one was. No dialogs here: the caller answers through the
// callbacks.
class FileCopier
{
public:
    enum class Answer { Yes, No, YesToAll, Cancel };
    enum class Outcome {
        Copied,    // everything asked for was copied
        Declined,  // finished, but one or more existing files were kept (answered No)
        Cancelled, // stopped by Cancel or by the progress callback
        Failed,    // stopped by an error (errorString, failedPath)
        VerificationFailed // copied, but a file read back differs from what was written (failedPath)
    };

    // Asked for each file that exists already, with the target's path.
    using OverwriteQuestion = std::function<Answer(const QString &existingTarget)>;
    // Called as bytes are written (at least once per file); false cancels.
    using Progress = std::function<bool(qint64 copiedBytes, qint64 totalBytes, const QString &currentSource)>;

    void setOverwriteQuestion(OverwriteQuestion question) { m_question = std::move(question); }
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Read every copied file back once it is in place and compare it with the source; a
    // difference stops the copy with VerificationFailed.
    void setVerify(bool verify) { m_verify = verify; }
    // Called with each target between its copy and its read-back (tests alter it there).
    void setBeforeReadBack(std::function<void(const QString &target)> hook) { m_beforeReadBack = std::move(hook); }

    // Copies `source` (a file or folder) to `target`, the full path of the copy.
    // A target that is an existing folder receives the source inside it under the
    // source's own name (where a folder of that name exists, the two merge).
    Outcome copy(const QString &source, const QString &target);

    // The reason of a failure and the path it concerns.
    QString errorString() const { return m_error; }
    QString failedPath() const { return m_failedPath; }
    // Where the last copy went (after resolving a target folder).
    QString resolvedTarget() const { return m_resolvedTarget; }
    // Of the last file copied: SHA-256 (lower-case hex) of the bytes read from its
    // source, and, when verifying, of its copy as read back (the same when they are equal,
    // empty when not), with the copy's size.
    QString sourceHash() const { return m_sourceHash; }
    QString targetHash() const { return m_targetHash; }
    qint64 targetSize() const { return m_targetSize; }
    qint64 sourceSize() const { return m_sourceSize; }
    // Bytes copied in all.
    qint64 copiedBytes() const { return m_done; }

    // The path a copy of `source` to `target` gets (see copy()).
    static QString targetFor(const QString &source, const QString &target);

private:
    struct Entry;
    bool plan(const QString &sourceDir, const QString &targetDir, QList<Entry> &entries, qint64 &total);
    Outcome copyFile(const QString &source, const QString &target);
    bool readBack(const QString &source, const QString &target, QByteArray &buffer);
    bool fail(const QString &path, const QString &reason);

    OverwriteQuestion m_question;
    Progress m_progress;
    QString m_error;
    QString m_failedPath;
    QString m_resolvedTarget;
    qint64 m_total = 0;
    qint64 m_done = 0;
    bool m_yesToAll = false;
    bool m_verify = false;
    std::function<void(const QString &)> m_beforeReadBack;
    QString m_sourceHash;
    QString m_targetHash;
    qint64 m_targetSize = -1;
    qint64 m_sourceSize = -1;
};
