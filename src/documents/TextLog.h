#pragma once

#include <QLoggingCategory>

// Notes about documents whose text could not be read ("orvanta.documents.text").
Q_DECLARE_LOGGING_CATEGORY(textLog)
