#include "values/ObjCmp.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

TCompareResult CompareEqual(TObject* /*a*/, TObject* /*b*/) { return crEqual; }

TCompareResult CompareLess(TObject* /*a*/, TObject* /*b*/) { return crLess; }

TCompareResult CompareGreater(TObject* /*a*/, TObject* /*b*/) { return crGreater; }

namespace {

// The locale category that governs collation, looked up in the order the C library uses.
std::string CollationLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

icu::Locale CollationLocale() {
    std::string name = CollationLocaleName();
    name = name.substr(0, name.find_first_of(".@"));  // the codeset and modifier say nothing
    // ICU would take "C" for en_US_POSIX, whose collation puts every capital before "a".
    if (name.empty() || name == "C" || name == "POSIX") return icu::Locale::getRoot();
    return icu::Locale(name.c_str());
}

std::unique_ptr<icu::Collator> MakeCollator(icu::Collator::ECollationStrength strength) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(CollationLocale(), status));
    if (U_FAILURE(status)) return nullptr;
    collator->setStrength(strength);
    return collator;
}

// Made on first use and kept: opening a collator costs far more than a comparison.
const icu::Collator* CaseSensitiveCollator() {
    static const std::unique_ptr<icu::Collator> collator = MakeCollator(icu::Collator::TERTIARY);
    return collator.get();
}

const icu::Collator* CaseBlindCollator() {
    static const std::unique_ptr<icu::Collator> collator = MakeCollator(icu::Collator::SECONDARY);
    return collator.get();
}

using TCodePage = std::array<char16_t, 256>;

// Windows-1252 is a one-byte code page: ask ICU's converter once for the whole table.
TCodePage MakeWindows1252Table() {
    std::string everyByte(256, '\0');
    for (int i = 0; i < 256; ++i) everyByte[i] = static_cast<char>(i);
    const icu::UnicodeString converted(everyByte.data(), 256, "windows-1252");
    TCodePage table{};
    for (int i = 0; i < 256; ++i)  // Latin-1 where the converter is missing
        table[i] = converted.length() == 256 ? converted[i] : static_cast<char16_t>(i);
    return table;
}

std::u16string FromWindows1252(const std::string& bytes) {
    static const TCodePage table = MakeWindows1252Table();
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text[i] = table[static_cast<unsigned char>(bytes[i])];
    return text;
}

TCompareResult ByteOrder(const std::string& a, const std::string& b) {
    const int order = a.compare(b);
    return order < 0 ? crLess : order > 0 ? crGreater : crEqual;
}

TCompareResult Collate(const icu::Collator* collator, const std::string& a, const std::string& b) {
    // Without ICU's data no collator opens; byte order still gives a total order.
    if (collator == nullptr) return ByteOrder(a, b);
    UErrorCode status = U_ZERO_ERROR;
    const std::u16string wideA = FromWindows1252(a);
    const std::u16string wideB = FromWindows1252(b);
    const UCollationResult order =
        collator->compare(wideA.data(), static_cast<std::int32_t>(wideA.size()), wideB.data(),
                          static_cast<std::int32_t>(wideB.size()), status);
    if (U_FAILURE(status)) return ByteOrder(a, b);
    return order == UCOL_LESS ? crLess : order == UCOL_GREATER ? crGreater : crEqual;
}

}  // namespace

TCompareResult CompareNames(const std::string& a, const std::string& b) {
    return Collate(CaseSensitiveCollator(), a, b);
}

TCompareResult CompareNamesNoCase(const std::string& a, const std::string& b) {
    return Collate(CaseBlindCollator(), a, b);
}
