// Since Windows Vista a program whose only window is hidden holds back a
// session end only while it has registered a reason on that window.
#ifndef DORVA_BLOCK_REASON_H
#define DORVA_BLOCK_REASON_H

// Registers the reason while Block Shutdown is on and removes it when it is
// off; call after every change of BlockFlag.
void UpdateBlockReason();

#endif
