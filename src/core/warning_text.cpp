// Default countdown warning text.
#include "warning_text.h"

#include "exit_types.h"
#include "text.h"

void MakeDefaultWarningTextFor(int exitType, char* out, size_t outSize)
{
    CopyText(out, outSize, "Counting down to ");
    const ExitTypeInfo* type = FindExitType(exitType);
    if (type == nullptr || outSize == 0) return;
    // The exit type's tip in lower case: "restart shell".
    char* word = out + TextLengthN(out, outSize);
    AppendText(out, outSize, type->tip);
    for (; *word; ++word) {
        if (*word >= 'A' && *word <= 'Z') *word = static_cast<char>(*word - 'A' + 'a');
    }
}
