// Fuzz target: any command-line text through the option search and the value
// extraction, and any bytes as a second start's hand-over and answer; outputs
// must stay terminated and inside their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/command_line_text.h"
#include "core/decimal.h"
#include "core/hand_over.h"
#include "core/time_of_day.h"

namespace {

constexpr unsigned char Canary = 0xA5;

#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond)) std::abort(); \
    } while (0)

bool CanariesIntact(const unsigned char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] != Canary) return false;
    return true;
}

bool TerminatedWithin(const char* text, size_t size)
{
    return std::memchr(text, '\0', size) != nullptr;
}

struct GuardedField {
    char text[7];
    unsigned char canary[16];
};

void CheckValue(const char* text, char letter, size_t fieldSize)
{
    GuardedField field;
    std::memset(&field, Canary, sizeof field);
    std::memcpy(field.text, "old", 4);
    GuardedField before = field;
    size_t length = OptionValue(text, letter, field.text, fieldSize);
    FUZZ_CHECK(CanariesIntact(field.canary, sizeof field.canary));
    FUZZ_CHECK(std::memcmp(field.text + fieldSize, before.text + fieldSize, sizeof field.text - fieldSize) == 0);
    if (length == 0) {
        FUZZ_CHECK(std::strcmp(field.text, "old") == 0);
        return;
    }
    // A value comes only with its option, from inside the text.
    const char option[] = {'/', letter, '\0'};
    FUZZ_CHECK(HasOption(text, option));
    FUZZ_CHECK(length <= std::strlen(text));
    FUZZ_CHECK(TerminatedWithin(field.text, fieldSize));
    size_t len = std::strlen(field.text);
    FUZZ_CHECK(len == (length < fieldSize ? length : fieldSize - 1));
    FUZZ_CHECK(std::strstr(text, field.text) != nullptr);
    for (size_t i = 0; i < len; ++i)
        FUZZ_CHECK(field.text[i] != '/' && field.text[i] != ':' && field.text[i] != letter);

    // The numbers taken from a value stay harmless downstream.
    int number = DecimalToInt(field.text);
    char shown[7];
    FormatFieldNumber(number, shown, sizeof shown);
    FUZZ_CHECK(TerminatedWithin(shown, sizeof shown));
    TimeOfDay time;
    if (ParseTimeOfDay(field.text, &time)) {
        int millis = MillisUntilTimeOfDay(time.hour, time.minute, time.second, 12, 0, 0);
        FUZZ_CHECK(millis >= 0 && millis < 90000000);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (text == nullptr) return 0;
    if (size > 0) std::memcpy(text, data, size);
    text[size] = '\0';

    static const char* const options[] = {"/e:s", "/e:b", "/e:l", "/e:p", "/x:s", "/x:r", "/f:f", "/f:d", "/f:e",
                                          "/f:b", "/f:c", "/f:h", "/h", "/t", "/a", "/w", "/n", "/z"};
    for (const char* option : options) FUZZ_CHECK(HasOption(text, option) == (std::strstr(text, option) != nullptr));

    for (char letter : {'a', 'h', 't', 'w'}) CheckValue(text, letter, letter == 'h' ? 2 : 7);
    CheckValue(text, size > 0 ? static_cast<char>(data[0]) : 't', 7);

    // A hand-over is taken whole, one text and its terminator, or not at all.
    unsigned char taken[32];
    std::memset(taken, Canary, sizeof taken);
    const bool whole = size > 0 && size <= sizeof taken && std::strlen(text) == size - 1;
    FUZZ_CHECK(TakeHandOverText(data, size, reinterpret_cast<char*>(taken), sizeof taken) == whole);
    FUZZ_CHECK(whole ? std::memcmp(taken, data, size) == 0 : CanariesIntact(taken, sizeof taken));
    ClassifyRequest(text);
    uint32_t raw = 0;
    std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
    HandOverAnswer answer;
    if (UnpackAnswer(raw, &answer)) FUZZ_CHECK(PackAnswer(answer) == raw);

    std::free(text);
    return 0;
}
