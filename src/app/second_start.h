// A start that does not become the program in the tray: the option list,
// "/c" and "/q" for the running copy, and a hand-over when the tray is taken.
#ifndef DORVA_SECOND_START_H
#define DORVA_SECOND_START_H

// The option list, one line an option.
extern const char UsageText[];

// Answers the lower-cased options (`typed`: the command line as typed, what
// a running copy is handed) when they start nothing here; true, with the
// process result in *result, when the program ends now.
bool AnswerWithoutStarting(const char* options, const char* typed, int* result);

// Writes the text and a line end to the standard output, or shows it in a
// box captioned "Dorva NT" when there is none.
void TellUser(const char* text);

#endif
