// The stack protector's guard value, set at start-up.
#ifndef DORVA_STACK_GUARD_H
#define DORVA_STACK_GUARD_H

// Gives the guard a value that differs from run to run. Called first thing by
// the entry point, before any function with a guarded frame is entered.
void InitStackGuard();

#endif
