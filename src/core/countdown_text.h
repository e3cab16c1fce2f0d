// The mm:ss text of the countdown window.
#ifndef DORVA_CORE_COUNTDOWN_TEXT_H
#define DORVA_CORE_COUNTDOWN_TEXT_H

#include <cstddef>

constexpr size_t CountdownTextSize = 16;  // holds the text of every int

// Formats the seconds left as "%02u:%02u", minutes and seconds; the minutes
// are not split into hours (3600 gives "60:00", 999999 gives "16666:39").
// A count below zero happens only when the exit timer is late; the window
// then keeps showing "00:00" rather than a huge unsigned number. Cut to the
// buffer and terminated when outSize > 0.
void FormatCountdown(int secondsLeft, char* out, size_t outSize);

#endif
