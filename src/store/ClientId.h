#pragma once

#include <QtGlobal>

// A client's PersonalInformationId, as windows hand it to one another. Text only where it
// meets SQL or a control.
using ClientId = qint64;

// No client (a new record, or no record window activated yet).
inline constexpr ClientId NoClient = 0;
