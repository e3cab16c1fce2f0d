// Default countdown warning text.
#include "warning_text.h"

#include "exit_types.h"
#include "text.h"

void MakeDefaultWarningTextFor(int exitType, char* out, size_t outSize)
{
    CopyText(out, outSize, "Counting down to ");
    const ExitTypeInfo* type = FindExitType(exitType);
    if (type != nullptr) AppendText(out, outSize, type->word);
}
