// Fuzz target: any stored program list through unpack and pack, and any slot
// bytes through pack; nothing may overrun, lists and slots stay well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/program_list.h"

namespace {

constexpr unsigned char Canary = 0x5C;

#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond)) std::abort(); \
    } while (0)

struct GuardedSlots {
    char slots[ProgramListSlots][ProgramItemSize];
    unsigned char canary[16];
};

struct GuardedList {
    char text[1024];
    unsigned char canary[16];
};

bool CanariesIntact(const unsigned char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] != Canary) return false;
    return true;
}

// Slots hold terminated texts without ';', the used ones first.
void CheckSlots(const GuardedSlots& g)
{
    FUZZ_CHECK(CanariesIntact(g.canary, sizeof g.canary));
    bool emptySeen = false;
    for (size_t i = 0; i < ProgramListSlots; ++i) {
        FUZZ_CHECK(std::memchr(g.slots[i], '\0', ProgramItemSize) != nullptr);
        FUZZ_CHECK(std::strchr(g.slots[i], ';') == nullptr);
        if (g.slots[i][0] == '\0') emptySeen = true;
        else FUZZ_CHECK(!emptySeen);
    }
}

// Packs into `outSize` bytes of a guarded list and checks the packed form.
// Slots that hold ';' themselves (raw bytes) give a list of another shape.
void PackAndCheck(const GuardedSlots& g, size_t outSize, GuardedList* list, bool slotsWithoutSeparator)
{
    std::memset(list, Canary, sizeof *list);
    PackProgramText(g.slots, list->text, outSize);
    FUZZ_CHECK(CanariesIntact(list->canary, sizeof list->canary));
    for (size_t i = outSize; i < sizeof list->text; ++i) FUZZ_CHECK(static_cast<unsigned char>(list->text[i]) == Canary);
    if (outSize == 0) return;
    FUZZ_CHECK(std::memchr(list->text, '\0', outSize) != nullptr);
    size_t len = std::strlen(list->text);
    FUZZ_CHECK(len == 0 || list->text[len - 1] == ';');
    if (slotsWithoutSeparator) FUZZ_CHECK(std::strstr(list->text, ";;") == nullptr && list->text[0] != ';');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* list = reinterpret_cast<const char*>(data);

    // Unpack must only read the list: it is const and exactly `size` bytes long.
    GuardedSlots g;
    std::memset(&g, Canary, sizeof g);
    UnpackProgramTextN(list, size, g.slots);
    CheckSlots(g);

    // Pack then unpack gives back the slots, as far as they fit the field.
    GuardedList packed;
    PackAndCheck(g, sizeof packed.text, &packed, true);
    GuardedSlots again;
    std::memset(&again, Canary, sizeof again);
    UnpackProgramText(packed.text, again.slots);
    CheckSlots(again);
    size_t kept = 0;
    while (kept < ProgramListSlots && again.slots[kept][0] != '\0') ++kept;
    for (size_t i = 0; i < kept; ++i) FUZZ_CHECK(std::strcmp(g.slots[i], again.slots[i]) == 0);
    for (size_t i = kept; i < ProgramListSlots; ++i) FUZZ_CHECK(again.slots[i][0] == '\0');
    // Items are dropped only when the field is really full.
    if (kept < ProgramListSlots && g.slots[kept][0] != '\0')
        FUZZ_CHECK(std::strlen(packed.text) + std::strlen(g.slots[kept]) + 2 > sizeof packed.text);

    // Raw bytes as slots (no terminator guaranteed) into a buffer of any size.
    GuardedSlots raw;
    std::memset(&raw, 0, sizeof raw);
    std::memcpy(raw.slots, data, size < sizeof raw.slots ? size : sizeof raw.slots);
    std::memset(raw.canary, Canary, sizeof raw.canary);
    size_t outSize = size > 0 ? (data[size - 1] * 4u) % (sizeof packed.text + 1) : 0;
    PackAndCheck(raw, outSize, &packed, false);

    // Any entry splits into a terminated program that fits, and arguments
    // inside the entry.
    char entry[2 * ProgramItemSize];
    size_t entryLength = size < sizeof entry - 1 ? size : sizeof entry - 1;
    std::memcpy(entry, data, entryLength);
    entry[entryLength] = '\0';
    char program[ProgramItemSize + 16];
    std::memset(program, Canary, sizeof program);
    const char* arguments = SplitProgramEntry(entry, program, ProgramItemSize);
    if (arguments) {
        FUZZ_CHECK(arguments >= entry && arguments <= entry + entryLength);
        FUZZ_CHECK(std::strlen(program) > 0 && std::strlen(program) < ProgramItemSize);
    }
    FUZZ_CHECK(CanariesIntact(reinterpret_cast<unsigned char*>(program) + ProgramItemSize, 16));
    IsBatchName(entry);

    return 0;
}
