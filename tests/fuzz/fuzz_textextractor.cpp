// Feeds arbitrary bytes to the text extractor under every extension that changes how it reads
// them. Built apart from the project, with clang's libFuzzer (see the build line in the
// commit that added it):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fPIC -Isrc \
//     $(pkg-config --cflags Qt6Core poppler-cpp libzip) tests/fuzz/fuzz_textextractor.cpp \
//     src/documents/{TextExtractor,PdfText,PlainText,MarkupText,RtfText,OfficeText,TextLog}.cpp \
//     $(pkg-config --libs Qt6Core poppler-cpp libzip) -o fuzz_textextractor
//   ./fuzz_textextractor -max_len=65536 -timeout=10 corpus/

#include "documents/TextExtractor.h"

#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("orvanta.documents.text.debug=false\n"
                                                        "orvanta.documents.text.info=false"));
        return true;
    }();
    Q_UNUSED(quiet);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* extension : {"txt", "html", "xml"}) {
        const std::optional<QString> text = TextExtractor::extract(bytes, QString::fromLatin1(extension));
        if (text && text->size() > TextExtractor::TextLimit)
            __builtin_trap();
    }
    return 0;
}
