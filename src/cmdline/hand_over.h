// What the running copy does with what a second start hands it: options laid
// over its current state, "/c", "/q", and a plain start.
#ifndef DORVA_HAND_OVER_H
#define DORVA_HAND_OVER_H

#include "core/hand_over.h"

// Applies the lower-cased text (`typed`: as it arrived, for the messages) and
// returns the answer for the second start. Never performs an exit. Its boxes
// are held (State.HandOverApplying).
HandOverAnswer ApplyHandOver(const char* text, const char* typed);

#endif
