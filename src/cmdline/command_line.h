// The command-line options, applied over the saved settings at start, or
// over the running copy's current state when a second start hands them over.
#ifndef DORVA_COMMAND_LINE_H
#define DORVA_COMMAND_LINE_H

#include "state/program_state.h"

constexpr char TooManyOptions[] = "Too many options specified";

// Takes the lower-cased argument text and, for the messages, the text as it
// was typed (the same text when nullptr). Returns 1 to go on, 0 when the
// program must end (its message has been shown).
int ParseCommandLine(const char* text, const char* typed = nullptr);

// The text with the value of "/p:" covered, in a copy (`typed` likewise, in
// *coveredTyped): the other functions take the covered texts, and the
// program's name as typed is kept for ApplyOptionsOver.
const char* CoverProgramValue(const char* text, const char* typed, const char** coveredTyped);
// What the text shows alone: every word that starts with '/' made of options
// (`typed`, the text as typed, names the word that is not), at most one exit
// type, not both timed-exit modes, an exit type that this system has. False
// after the message.
bool CheckOptions(const char* text, const char* typed);
// Lays the options over `base` (the saved settings, or a copy of the running
// state) and checks what they make together, taking the values. False after
// the message; `base` is then half changed. Arms nothing.
bool ApplyOptionsOver(const char* text, ProgramState& base);
// Arms the timed exit that State selects (`replace`: in place of an armed
// one); false after "Timer not started (Invalid time ?)", or the saved
// settings' message when `text` names no timed exit.
bool ArmTimedExit(const char* text, bool replace);
// Whether the text names a kind of timed exit: /t, /a, /p or /i.
bool TypedTimedExit(const char* text);
// Exchanges with `other` what the options set: the exit type, every flag but
// icon-less mode ("/n" runs alone) and the values.
void ExchangeOptions(ProgramState& other);

#endif
