#include "app/StartupDatabase.h"

#include "app/OrvantaApplication.h"
#include "platform/MessageBox.h"
#include "store/DatabaseSchema.h"
#include "store/StoreError.h"

bool StartupDatabase::open(const QString& path)
{
    for (;;) {
        try {
            DatabaseSchema::ensure(path);
            return true;
        } catch (const StoreError& error) {
            if (!error.isBusy()) {
                OrvantaApplication::reportError(error.message());
                return false;
            }
            // Nothing has been written yet: cancelling leaves the file and the settings as they are.
            const QString text =
                error.message() + QStringLiteral("\n\nWhen that program has finished with it, choose Retry. "
                                                 "Cancel ends Orvanta without changing anything.");
            if (MessageBox::ask(nullptr, QStringLiteral("Orvanta"), text, MessageBox::RetryCancel,
                                MessageBox::Warning) != MessageBox::Retry)
                return false;
        }
    }
}
