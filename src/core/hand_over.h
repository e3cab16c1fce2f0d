// The text side of a second start: what it asks of the running copy, the
// bytes that carry its command line there, and the answer that comes back.
#ifndef DORVA_CORE_HAND_OVER_H
#define DORVA_CORE_HAND_OVER_H

#include <cstddef>
#include <cstdint>

// The process results a script sees.
constexpr int ExitDone = 0;        // applied, cancelled, or a timed exit is armed
constexpr int ExitNothingDone = 1; // nothing to cancel or tell, or refused
constexpr int ExitNotRunning = 2;  // no copy in the tray answered

// A command line travels whole with its terminator: the longest that Windows
// gives a program. Anything longer is refused, never cut.
constexpr size_t HandOverTextSize = 32768;
// The mark of a hand-over among the copy-data messages ("DNT1").
constexpr uint32_t HandOverKind = 0x444E5431;
// The mark of the armed tip that the running copy sends back for "/q" ("DNTQ").
constexpr uint32_t QueryTipKind = 0x444E5451;
// The class of the message-only window that receives it.
constexpr char QueryAnswerClassName[] = "DorvaNT.QueryAnswer";

// A second start's own options: "/c" and "/q" as words of their own (in
// another word they are unknown options), "/?" anywhere.
constexpr char CancelOption[] = "/c";
constexpr char QueryOption[] = "/q";
constexpr char UsageOption[] = "/?";

enum class Request {
    HandOver,  // options (or none) for the running copy to apply
    Cancel,    // "/c": cancel its armed timed exit
    Query,     // "/q": tell what it will do
    Usage,     // "/?": list the options; nothing starts
    TooMany,   // "/c" or "/q" with anything else
};

// What the lower-cased text asks for. "/c" and "/q" stand alone.
Request ClassifyRequest(const char* text);

// True when the text holds nothing but blanks: a plain start.
bool IsBlankText(const char* text);

// The `size` bytes at `data` as a hand-over's text: a text and its terminator
// and nothing after it, that fits `out` whole. Copied into `out`; false, with
// `out` as it was, for anything else.
bool TakeHandOverText(const void* data, size_t size, char* out, size_t outSize);

// The running copy's answer, in 32 bits that both the x86 and the x64 exe
// read alike; every answer carries a mark, so that a window that is no copy
// of the program (answering 0) is not taken for one.
struct HandOverAnswer {
    int code;         // ExitDone, ExitNothingDone or ExitNotRunning
    bool armed;       // a timed exit is armed
    int exitType;     // the selected exit type (0 for a number that is none)
    int secondOfDay;  // when the armed exit is due, on the local clock
};
uint32_t PackAnswer(const HandOverAnswer& answer);
// False for a value that is no answer of the program.
bool UnpackAnswer(uintptr_t value, HandOverAnswer* answer);

// What "/q" prints: the armed tip ("Timed Exit: Logoff at 23:00:00"), "No
// timed exit is armed", or, without an answer, "Dorva NT is not running".
// `tip`, when not null, is the tip the running copy sent back: it names what
// 32 bits cannot (a program, a weekday); without it the tip is made from the
// answer's exit type and second of the day.
void MakeQueryText(const HandOverAnswer* answer, const char* tip, char* out, size_t outSize);

#endif
