// Fuzz target: any registry data through the stored-value readers, and the
// numbers they give through every formatter; bounded and terminated always.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/countdown_text.h"
#include "core/decimal.h"
#include "core/stored_value.h"
#include "core/text.h"
#include "core/warning_text.h"

namespace {

constexpr unsigned char Canary = 0x3C;

#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond)) std::abort(); \
    } while (0)

template <size_t N>
struct Guarded {
    char text[N];
    unsigned char canary[16];
    Guarded()
    {
        std::memset(text, Canary, sizeof text);
        std::memset(canary, Canary, sizeof canary);
    }
    bool Intact() const
    {
        for (unsigned char c : canary)
            if (c != Canary) return false;
        return true;
    }
    bool Terminated() const { return std::memchr(text, '\0', N) != nullptr; }
};

template <size_t N>
void CheckField(const char* data, size_t size)
{
    Guarded<N> field;
    StoredTextToField(data, size, field.text, N);
    FUZZ_CHECK(field.Intact() && field.Terminated());
    size_t len = std::strlen(field.text);
    FUZZ_CHECK(len <= N - 1 && len <= size);
    FUZZ_CHECK(std::memcmp(field.text, data, len) == 0);
    FUZZ_CHECK(len == N - 1 || len == size || data[len] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const char* data = reinterpret_cast<const char*>(bytes);

    // Text values into the small fields, the hotkey and the warning text.
    CheckField<7>(data, size);
    CheckField<2>(data, size);
    CheckField<100>(data, size);

    // A number read from the data equals the one read from a terminated copy.
    int number = StoredNumber(data, size);
    char* copy = static_cast<char*>(std::malloc(size + 1));
    if (copy == nullptr) return 0;
    if (size > 0) std::memcpy(copy, data, size);
    copy[size] = '\0';
    FUZZ_CHECK(number == DecimalToInt(copy));

    // Number to text and back; every formatter stays in its buffer.
    Guarded<12> decimal;
    IntToDecimal(number, decimal.text, sizeof decimal.text);
    FUZZ_CHECK(decimal.Intact() && decimal.Terminated());
    FUZZ_CHECK(DecimalToInt(decimal.text) == number);

    Guarded<7> shown;
    FormatFieldNumber(number, shown.text, sizeof shown.text);
    FUZZ_CHECK(shown.Intact() && shown.Terminated());
    if (number >= -99999 && number <= 999999) FUZZ_CHECK(DecimalToInt(shown.text) == number);

    Guarded<7> digits;
    FormatTimeOfDayDigits(number, number / 7, number % 100, digits.text, sizeof digits.text);
    FUZZ_CHECK(digits.Intact() && digits.Terminated());

    Guarded<CountdownTextSize> countdown;
    FormatCountdown(number, countdown.text, sizeof countdown.text);
    FUZZ_CHECK(countdown.Intact() && countdown.Terminated());
    FUZZ_CHECK(std::strchr(countdown.text, ':') != nullptr);   // never cut at 16 bytes
    size_t countdownLen = std::strlen(countdown.text);
    FUZZ_CHECK(countdownLen >= 5 && countdown.text[countdownLen - 3] == ':');

    Guarded<100> warning;
    MakeDefaultWarningTextFor(number, warning.text, sizeof warning.text);
    FUZZ_CHECK(warning.Intact() && warning.Terminated());
    FUZZ_CHECK(std::strncmp(warning.text, "Counting down to ", 17) == 0);

    // The copy written back with a fixed length: zeros after the terminator.
    const size_t fixedLens[] = {2, 7, 100};
    for (size_t fixedLen : fixedLens) {
        Guarded<100> fixed;
        FillFixedLength(copy, fixed.text, fixedLen);
        FUZZ_CHECK(fixed.Intact());
        size_t len = std::strlen(fixed.text);
        FUZZ_CHECK(len < fixedLen);
        for (size_t i = len; i < fixedLen; ++i) FUZZ_CHECK(fixed.text[i] == '\0');
        for (size_t i = fixedLen; i < sizeof fixed.text; ++i) FUZZ_CHECK(static_cast<unsigned char>(fixed.text[i]) == Canary);
    }

    // Bounded append onto whatever the data left in a field.
    Guarded<7> appended;
    CopyTextN(appended.text, sizeof appended.text, data, size);
    AppendText(appended.text, sizeof appended.text, copy);
    FUZZ_CHECK(appended.Intact() && appended.Terminated());

    std::free(copy);
    return 0;
}
