// The command-line options, applied over the saved settings at start.
#ifndef DORVA_COMMAND_LINE_H
#define DORVA_COMMAND_LINE_H

// Takes the lower-cased argument text and, for the messages, the text as it
// was typed (the same text when nullptr). Returns 1 to go on, 0 when the
// program must end (its message has been shown).
int ParseCommandLine(const char* text, const char* typed = nullptr);

#endif
