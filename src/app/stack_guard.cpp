// The stack protector's guard and failure routine. The exe starts without the
// C runtime, whose start-up would otherwise provide and set them, so the
// program keeps its own: the guard is mixed from values that change from run
// to run, and a damaged frame ends the process at once.
#include "app/stack_guard.h"

#include <windows.h>

#include <cstdint>

namespace {
// Mixed into the guard, which keeps a zero low byte that ends a string overrun.
constexpr uintptr_t GuardSeed = static_cast<uintptr_t>(0x2B992DDFA23249D6ull) & ~static_cast<uintptr_t>(0xFF);
constexpr UINT StackOverrunCode = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN
}  // namespace

extern "C" {
// Zero until InitStackGuard runs (and in the test executables): kept out of
// the initialised data, which would cost the exe a section of its own.
uintptr_t __stack_chk_guard;

__attribute__((noreturn)) void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), StackOverrunCode);
    for (;;) {
    }
}
}

// Not guarded itself: it changes the value that its own frame would be
// checked against.
__attribute__((no_stack_protector)) void InitStackGuard()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    uintptr_t guard = GuardSeed;
    guard ^= (static_cast<uintptr_t>(now.dwHighDateTime) << 16) ^ now.dwLowDateTime;
    guard ^= static_cast<uintptr_t>(counter.QuadPart) ^ (static_cast<uintptr_t>(counter.QuadPart >> 32) << 8);
    guard ^= static_cast<uintptr_t>(GetCurrentProcessId()) << 3;
    guard ^= static_cast<uintptr_t>(GetCurrentThreadId()) << 11;
    guard ^= GetTickCount();
    guard ^= reinterpret_cast<uintptr_t>(&now);  // the stack's place, moved by ASLR
    guard &= ~static_cast<uintptr_t>(0xFF);
    if (guard == 0) guard = GuardSeed;
    __stack_chk_guard = guard;
}
