#include "documents/TextLog.h"

Q_LOGGING_CATEGORY(textLog, "orvanta.documents.text")
