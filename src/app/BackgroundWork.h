#pragma once

#include "store/StoreError.h"
#include "store/WorkProgress.h"

#include <QString>
#include <functional>
#include <optional>

class QProgressDialog;
class QWidget;

// Runs a long piece of work on the database (a backup, a restore, a compaction, a check) on a
// thread of its own while a progress dialog, modal to `parent`'s window, says what is being
// done and how far it has got. The user-interface thread keeps processing events meanwhile, so
// the program is repainted and the dialog's Cancel button answers.
//
// The work creates its store objects itself, on its thread: a connection is used by the thread
// that opened it. It is told of nothing but cancelling: the WorkProgress it is given returns
// false once the user chose Cancel. What it reports is read by a timer on the user-interface
// thread a few times a second, not sent as an event per call.
class BackgroundWork
{
public:
    using Work = std::function<void(const WorkProgress& progress)>;

    // `caption` names the work ("Backing up the database..."); `parent` may be null (before the
    // main window exists).
    BackgroundWork(QWidget* parent, const QString& caption);

    // Runs `work` and returns when it has ended: nothing when it succeeded, else what it threw
    // (isCancelled() when the user cancelled; any other exception as a plain failure).
    std::optional<StoreError> run(const Work& work) const;

    // Called with the dialog, named dlgProgress, once it is shown and before the work starts,
    // so that a test can see it and press its buttons at a known moment. Empty: none.
    static void setShownHook(std::function<void(QProgressDialog* dialog)> hook);

private:
    QWidget* m_parent;
    QString m_caption;
};
