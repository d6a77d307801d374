#include "documents/PdfText.h"

#include "documents/TextExtractor.h"
#include "documents/TextLog.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <limits>
#include <memory>
#include <mutex>

namespace {

void logPopplerMessage(const std::string& message, void*)
{
    qCDebug(textLog).noquote() << "PDF:" << QString::fromStdString(message);
}

// The library keeps its message function in a global; it is set once, before the first
// document is read, and never again, so no thread sees it change.
void routePopplerMessages()
{
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(logPopplerMessage, nullptr); });
}

QString fromUstring(const poppler::ustring& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), qsizetype(text.size()));
}

} // namespace

std::optional<QString> PdfText::extract(const QByteArray& bytes)
{
    routePopplerMessages();
    if (bytes.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    // The document reads from `bytes` without copying them; both live until the end of this call.
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.constData(), int(bytes.size())));
    if (!document) {
        qCInfo(textLog) << "A PDF document could not be read; it has no text to search.";
        return std::nullopt;
    }
    if (document->is_locked()) {
        qCInfo(textLog) << "A PDF document is locked by a password; its text cannot be searched.";
        return std::nullopt;
    }
    QString text;
    const int pages = document->pages();
    for (int index = 0; index < pages && text.size() < TextExtractor::TextLimit; ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            continue;
        QString pageText = fromUstring(page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout));
        // The library ends a page with empty lines and a form feed; one line break will do.
        qsizetype end = pageText.size();
        while (end > 0 && (pageText[end - 1].isSpace() || pageText[end - 1] == u'\f'))
            --end;
        pageText.truncate(end);
        text += pageText;
        text += u'\n';
    }
    return text;
}
