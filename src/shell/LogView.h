#pragma once

#include "model/BackupRunRecord.h"

#include <QDialog>

class QPlainTextEdit;

namespace mv {

class ProgramRequests;
class Prompts;

// The saved text log of one run: the job, the destination and the start, a warning when the log was cut
// short, the whole text in a selectable monospaced box, and "Copy Log", "Export…" and "Reveal". What is
// shown, copied and exported is the log with its secrets masked. The text is read again, on the worker
// pool, each time the view comes on screen; the box stays as it was until the text arrives. It never
// follows a log that grows.
class LogView : public QDialog {
    Q_OBJECT
public:
    LogView(BackupRunRecord record, ProgramRequests& requests, Prompts& prompts, QWidget* parent = nullptr);

    const BackupRunRecord& record() const { return m_record; }
    // The masked log text; empty until a log was read, or when it could not be.
    const QString& text() const { return m_text; }
    // "Marrowvale-" + the job's name with every blank a hyphen + ".log".
    static QString exportName(const QString& jobName);

    void copyLog();
    void exportLog();
    void reveal();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    void load();

    BackupRunRecord m_record;
    ProgramRequests& m_requests;
    Prompts& m_prompts;
    QString m_text;
    QPlainTextEdit* m_box = nullptr;
    quint64 m_reads = 0; // only the newest read is shown
};

} // namespace mv
