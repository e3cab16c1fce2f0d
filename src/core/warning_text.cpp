// Default countdown warning text.
#include "warning_text.h"

#include "exit_types.h"
#include "text.h"

void MakeDefaultWarningTextFor(int exitType, char* out, size_t outSize)
{
    const size_t start = CopyText(out, outSize, "Counting down to ");
    const ExitTypeInfo* type = FindExitType(exitType);
    if (type == nullptr) return;
    // The exit type's word: its tip in lower case.
    const size_t end = AppendText(out, outSize, type->tip);
    for (size_t i = start; i < end; ++i) out[i] = LowerCase(out[i]);
}
