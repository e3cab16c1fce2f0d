// Fuzz target: any command-line text through the option search, tokenizer and
// value extraction; outputs must stay terminated and inside their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/command_line_text.h"
#include "core/decimal.h"
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

struct GuardedSlots {
    char slots[TokenSlotCount][TokenSlotSize];
    unsigned char canary[16];
};

struct GuardedToken {
    char text[TokenBufferSize];
    unsigned char canary[16];
};

struct GuardedField {
    char text[7];
    unsigned char canary[16];
};

void CheckValue(const char* token, char letter, size_t fieldSize)
{
    GuardedField field;
    std::memset(&field, Canary, sizeof field);
    std::memcpy(field.text, "old", 4);
    GuardedField before = field;
    bool found = ExtractOptionValue(token, letter, field.text, fieldSize);
    FUZZ_CHECK(CanariesIntact(field.canary, sizeof field.canary));
    FUZZ_CHECK(std::memcmp(field.text + fieldSize, before.text + fieldSize, sizeof field.text - fieldSize) == 0);
    if (!found) {
        FUZZ_CHECK(std::strcmp(field.text, "old") == 0);
        return;
    }
    FUZZ_CHECK(TerminatedWithin(field.text, fieldSize));
    size_t len = std::strlen(field.text);
    FUZZ_CHECK(len >= 1 && len <= fieldSize - 1);
    FUZZ_CHECK(std::strstr(token, field.text) != nullptr);
    for (size_t i = 0; i < len; ++i)
        FUZZ_CHECK(field.text[i] != '/' && field.text[i] != ':' && field.text[i] != letter);

    // The numbers taken from a value stay harmless downstream.
    int number = DecimalToInt(field.text);
    char shown[7];
    FormatFieldNumber(number, shown, sizeof shown);
    FUZZ_CHECK(TerminatedWithin(shown, sizeof shown));
    int h, m, s;
    if (SplitTimeOfDay(number, &h, &m, &s)) {
        int millis = MillisUntilTimeOfDay(h, m, s, 12, 0, 0);
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

    GuardedSlots g;
    std::memset(&g, Canary, sizeof g);
    int count = SplitTokens(text, g.slots);
    FUZZ_CHECK(count >= 0 && count <= static_cast<int>(TokenSlotCount));
    FUZZ_CHECK(CanariesIntact(g.canary, sizeof g.canary));
    for (size_t i = 0; i < TokenSlotCount; ++i) {
        FUZZ_CHECK(TerminatedWithin(g.slots[i], TokenSlotSize));
        bool used = static_cast<int>(i) < count;
        FUZZ_CHECK(used == (g.slots[i][0] != '\0'));
        FUZZ_CHECK(std::strchr(g.slots[i], ' ') == nullptr);
        // Every token comes from the first 39 characters of the text.
        if (used) {
            size_t copyLen = strnlen(text, CommandCopySize - 1);
            char copy[CommandCopySize];
            std::memcpy(copy, text, copyLen);
            copy[copyLen] = '\0';
            FUZZ_CHECK(std::strstr(copy, g.slots[i]) != nullptr);
        }
    }

    GuardedToken at, hotkey, timer, warn;
    GuardedToken* tokens[] = {&at, &hotkey, &timer, &warn};
    for (GuardedToken* t : tokens) std::memset(t, Canary, sizeof *t);
    PickOptionTokens(g.slots, at.text, hotkey.text, timer.text, warn.text);
    const struct {
        GuardedToken* token;
        char letter;
        const char* option;
    } picked[] = {{&at, 'a', "/a"}, {&hotkey, 'h', "/h"}, {&timer, 't', "/t"}, {&warn, 'w', "/w"}};
    for (const auto& p : picked) {
        FUZZ_CHECK(CanariesIntact(p.token->canary, sizeof p.token->canary));
        FUZZ_CHECK(TerminatedWithin(p.token->text, TokenBufferSize));
        FUZZ_CHECK(p.token->text[0] == '\0' || std::strstr(p.token->text, p.option) != nullptr);
        // A token can only be picked for an option that the whole-text search finds.
        FUZZ_CHECK(p.token->text[0] == '\0' || HasOption(text, p.option));
        CheckValue(p.token->text, p.letter, p.letter == 'h' ? 2 : 7);
    }

    // The raw text as a token, longer than any real token buffer.
    CheckValue(text, size > 0 ? static_cast<char>(data[0]) : 't', 7);

    std::free(text);
    return 0;
}
