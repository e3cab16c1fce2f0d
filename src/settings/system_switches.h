// The four system-wide switches of the Registry dialog: start with Windows,
// hide Log Off and Shut Down from the Start menu, and automatic logon.
#ifndef DORVA_SYSTEM_SWITCHES_H
#define DORVA_SYSTEM_SWITCHES_H

#include <windows.h>

// Name and password of automatic logon: read, edit bound and write, in bytes.
constexpr DWORD LogonTextSize = 40;

// 1 when the switch reads as on, 0 otherwise (also when its key cannot be
// opened).
int GetAutorun();
int GetNoLogOff();
int GetNoClose();
int GetAutoAdminLogon();

// Each turns its switch on (non-zero) or off; true on success.
bool SetAutorun(int on);
bool SetNoLogOff(int on);
bool SetNoClose(int on);
bool SetAutoAdminLogon(int on, const char* userName, const char* password);

// The stored logon name and plain-text password, "" for a value that cannot
// be read within 40 bytes. Windows XP and later keep the password as a
// secret that is not read back: there it reads "".
void ReadLogonTexts(char (&userName)[LogonTextSize + 1], char (&password)[LogonTextSize + 1]);

#endif
