// One program in the tray for each user.
#ifndef DORVA_SINGLE_INSTANCE_H
#define DORVA_SINGLE_INSTANCE_H

// Claims the tray for this process; false when another program of this
// user's session already holds it. A thread that claimed it may claim it again.
bool ClaimTray();

#endif
