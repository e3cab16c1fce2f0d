// A second start's request, the bytes of its hand-over and the answer.
#include "hand_over.h"

#include "command_line_text.h"
#include "decimal.h"
#include "exit_types.h"
#include "text.h"

#include <cstring>

namespace {
constexpr char NotRunningText[] = "Dorva NT is not running";
constexpr char NothingArmedText[] = "No timed exit is armed";

// Bits of an answer: the code, armed, the exit type, the due second of the
// day, and the mark in the top four (bit 31 stays clear: no sign to extend).
constexpr uint32_t CodeBits = 0x3;
constexpr int ArmedShift = 2;
constexpr int ExitTypeShift = 3;
constexpr uint32_t ExitTypeBits = 0xFF;
constexpr int SecondShift = 11;
constexpr uint32_t SecondBits = 0x1FFFF;
constexpr int SecondsPerDay = 86400;
constexpr uint32_t MarkBits = 0xFu << 28;
constexpr uint32_t AnswerMark = 0x5u << 28;
static_assert(SecondsPerDay <= SecondBits + 1 && (SecondBits << SecondShift) < (1u << 28), "an answer fits 28 bits");

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text)) ++text;
    return text;
}

// The first word that is `word`, or with `valued` starts with `word` and ':',
// and its end; nullptr when there is none.
const char* FindWord(const char* text, const char* word, bool valued, const char** wordEnd)
{
    const size_t length = std::strlen(word);
    for (const char* at = SkipBlanks(text); *at != '\0'; at = SkipBlanks(at)) {
        const char* end = at;
        while (*end != '\0' && !IsBlank(*end)) ++end;
        const size_t wordLength = static_cast<size_t>(end - at);
        if (std::strncmp(at, word, length) == 0 &&
            (wordLength == length || (valued && wordLength > length && at[length] == ':'))) {
            *wordEnd = end;
            return at;
        }
        at = end;
    }
    return nullptr;
}

bool HasWord(const char* text, const char* word)
{
    const char* end = nullptr;
    return FindWord(text, word, false, &end) != nullptr;
}
}  // namespace

bool IsBlankText(const char* text) { return text == nullptr || *SkipBlanks(text) == '\0'; }

Request ClassifyRequest(const char* text)
{
    if (text == nullptr) text = "";
    if (HasOption(text, UsageOption)) return Request::Usage;
    const bool cancel = HasWord(text, CancelOption);
    const bool query = HasWord(text, QueryOption);
    const char* postponeEnd = nullptr;
    const char* postpone = FindWord(text, PostponeOption, true, &postponeEnd);
    if (!cancel && !query && !postpone) return Request::HandOver;
    if (cancel + query + (postpone != nullptr) > 1) return Request::TooMany;
    const char* word = SkipBlanks(text);
    if (postpone) return postpone == word && IsBlankText(postponeEnd) ? Request::Postpone : Request::TooMany;
    const char* alone = cancel ? CancelOption : QueryOption;
    const size_t length = std::strlen(alone);
    if (std::strncmp(word, alone, length) != 0 || !IsBlankText(word + length)) return Request::TooMany;
    return query ? Request::Query : Request::Cancel;
}

bool PostponeRequestMinutes(const char* text, int setting, int* minutes)
{
    const char* end = nullptr;
    const char* word = text ? FindWord(text, PostponeOption, true, &end) : nullptr;
    if (!word) return false;
    const char* digit = word + std::strlen(PostponeOption);
    if (digit == end) {
        *minutes = setting;
        return true;
    }
    ++digit;  // past the ':'
    unsigned long value = 0;
    if (!WholeDecimal(digit, static_cast<size_t>(end - digit), MaxPostponeRequestMinutes, &value) || value == 0) return false;
    *minutes = static_cast<int>(value);
    return true;
}

bool TakeHandOverText(const void* data, size_t size, char* out, size_t outSize)
{
    if (data == nullptr || size == 0 || size > outSize) return false;
    const char* bytes = static_cast<const char*>(data);
    if (TextLengthN(bytes, size) != size - 1) return false;
    CopyTextN(out, outSize, bytes, size);
    return true;
}

uint32_t PackAnswer(const HandOverAnswer& answer)
{
    const uint32_t type = answer.exitType > 0 && static_cast<uint32_t>(answer.exitType) <= ExitTypeBits
                              ? static_cast<uint32_t>(answer.exitType) : 0;
    const uint32_t second = answer.secondOfDay >= 0 && answer.secondOfDay < SecondsPerDay
                                ? static_cast<uint32_t>(answer.secondOfDay) : 0;
    return AnswerMark | (static_cast<uint32_t>(answer.code) & CodeBits) | (answer.armed ? 1u << ArmedShift : 0) |
           type << ExitTypeShift | second << SecondShift;
}

bool UnpackAnswer(uintptr_t value, HandOverAnswer* answer)
{
    if (value > 0xFFFFFFFFu || (value & MarkBits) != AnswerMark) return false;
    const uint32_t bits = static_cast<uint32_t>(value);
    const int code = static_cast<int>(bits & CodeBits);
    const int second = static_cast<int>(bits >> SecondShift & SecondBits);
    if (code > ExitNotRunning || second >= SecondsPerDay) return false;
    answer->code = code;
    answer->armed = (bits >> ArmedShift & 1) != 0;
    answer->exitType = static_cast<int>(bits >> ExitTypeShift & ExitTypeBits);
    answer->secondOfDay = second;
    return true;
}

void MakeQueryText(const HandOverAnswer* answer, const char* tip, char* out, size_t outSize)
{
    if (answer == nullptr || answer->code == ExitNotRunning) {
        CopyText(out, outSize, NotRunningText);
    } else if (answer->armed && tip != nullptr && *tip != '\0') {
        CopyText(out, outSize, tip);
    } else if (answer->armed) {
        MakeTimedExitTip(answer->exitType, answer->secondOfDay, out, outSize);
    } else {
        CopyText(out, outSize, NothingArmedText);
    }
}
