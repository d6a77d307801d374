#pragma once

#include <QtGlobal>
#include <functional>

// Told how a long piece of work on the database goes: `done` of `total` units (pages, rows or
// bytes; `total` 0 when the work cannot say how much is left). Returning false asks the work
// to stop; it then throws a cancelled StoreError and leaves nothing half-made behind.
// Called on the thread that runs the work.
using WorkProgress = std::function<bool(qint64 done, qint64 total)>;
