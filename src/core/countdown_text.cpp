// Countdown display text.
#include "countdown_text.h"

#include "decimal.h"
#include "text.h"

void FormatCountdown(int secondsLeft, char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return;
    unsigned left = secondsLeft < 0 ? 0u : static_cast<unsigned>(secondsLeft);
    unsigned minutes = left / 60u;
    unsigned seconds = left - minutes * 60u;
    FormatUnsignedPadded(minutes, 2, out, outSize);
    size_t len = AppendText(out, outSize, ":");
    FormatUnsignedPadded(seconds, 2, out + len, outSize - len);
}
