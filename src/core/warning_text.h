// The default text of the countdown window for an exit type.
#ifndef DORVA_CORE_WARNING_TEXT_H
#define DORVA_CORE_WARNING_TEXT_H

#include <cstddef>

// "Counting down to " followed by the exit type's word ("Counting down to
// reboot"); for a number that is not an exit type, "Counting down to "
// alone, blank included. Cut to the buffer and terminated when outSize > 0.
void MakeDefaultWarningTextFor(int exitType, char* out, size_t outSize);

#endif
