// StrToInt on any text, against the rule written out once more: an optional sign and at least
// one ASCII digit, nothing else, within the signed 32-bit range. A refused text raises
// EConvertError whose message holds the whole text, a NUL in it included.

#include <climits>
#include <cstddef>
#include <cstdint>

#include "Convert.h"
#include "FuzzCheck.h"

namespace {

bool RuleValue(const QString& text, int* value) {
    int pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        negative = text[pos++] == u'-';
    if (pos == text.size()) return false;
    long long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9') return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > 1LL << 31) return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT_MIN || signedValue > INT_MAX) return false;
    *value = static_cast<int>(signedValue);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    int expected = 0;
    const bool valid = RuleValue(text, &expected);
    try {
        const int got = StrToInt(text);
        FUZZ_CHECK(valid && got == expected);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!valid);
        FUZZ_CHECK(e.Message().contains(text));
    }
    return 0;
}
