#include "values/ObjCmp.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "values/CodePage.h"

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

TCompareResult ByteOrder(const std::string& a, const std::string& b) {
    const int order = a.compare(b);
    return order < 0 ? crLess : order > 0 ? crGreater : crEqual;
}

TCompareResult Collate(const icu::Collator* collator, const std::string& a, const std::string& b) {
    // Without ICU's data no collator opens; byte order still gives a total order.
    if (collator == nullptr) return ByteOrder(a, b);
    UErrorCode status = U_ZERO_ERROR;
    const std::u16string wideA = Windows1252ToUtf16(a);
    const std::u16string wideB = Windows1252ToUtf16(b);
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
