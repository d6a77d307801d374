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

// The smallest document the library reads: one empty page.
constexpr char KeeperPdf[] = "%PDF-1.4\n"
                             "1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                             "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                             "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] >> endobj\n"
                             "xref\n0 4\n0000000000 65535 f \n0000000009 00000 n \n0000000058 00000 n \n"
                             "0000000115 00000 n \ntrailer << /Size 4 /Root 1 0 R >>\nstartxref\n182\n%%EOF\n";

// Sets the library up once, before the first document is read.
//
// The library keeps its message function in globals; they are set here and never again, so no
// thread sees them change. It also makes its global parameters (character maps, font tables)
// when a document is opened while no other is, and drops them with the last one; making them
// costs far more than reading a short document's text. One empty document kept open for the
// life of the program keeps them.
void setUpLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        poppler::set_debug_error_function(logPopplerMessage, nullptr);
        static const std::unique_ptr<poppler::document> keeper(
            poppler::document::load_from_raw_data(KeeperPdf, int(sizeof KeeperPdf - 1)));
        if (!keeper)
            qCWarning(textLog) << "The PDF library could not read its own test document.";
    });
}

QString fromUstring(const poppler::ustring& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), qsizetype(text.size()));
}

} // namespace

std::optional<QString> PdfText::extract(const QByteArray& bytes)
{
    setUpLibrary();
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
