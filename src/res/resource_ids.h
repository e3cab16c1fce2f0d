/* Numbers that name resources, commands and controls. Shared by the resource
   script and the C++ code, so it holds plain #defines only. */
#ifndef DORVA_RESOURCE_IDS_H
#define DORVA_RESOURCE_IDS_H

/* Exit types: also the command ids of the menu items that select them. */
#define IDM_SHUTDOWN        10
#define IDM_REBOOT          20
#define IDM_LOGOFF          30
#define IDM_SCREENSAVER     40
#define IDM_POWEROFF        50
#define IDM_RESTARTSHELL    60
#define IDM_SLEEP           70
#define IDM_HIBERNATE       80
#define IDM_LOCK            90

/* Other menu commands. */
#define IDM_SINGLECLICK     100
#define IDM_ABOUT           120
#define IDM_EXITPROGRAM     130
#define IDM_FORCE           140
#define IDM_EJECT           150
#define IDM_HOTKEY          160
#define IDM_TIMEDEXIT       170
#define IDM_RUNBEFOREEXIT   180
#define IDM_BLOCK           190
#define IDM_SHORTCUT        200
#define IDM_CONFIRM         210
#define IDM_HIDEICON        220
#define IDM_REGISTRY        230
#define IDM_POSTPONE        245  /* the countdown window's Postpone; in no menu */

/* Dialog templates. */
#define IDD_TIMEDEXIT       114
#define IDD_COUNTDOWN       115
#define IDD_RUNBEFOREEXIT   220
#define IDD_WARNINGTEXT     230
#define IDD_HOTKEY          240
#define IDD_ABOUT           250
#define IDD_REGISTRY        262
#define IDD_SHORTCUT        266

/* Cursor: the pointing hand over the About box links. */
#define IDC_LINKHAND        261

/* Timed Exit Options (114). */
#define IDC_TE_GROUP        101
#define IDC_TE_TIMEOUT      102
#define IDC_TE_AT           103
#define IDC_TE_WARN         105
#define IDC_TE_NONE         106
#define IDC_TE_TIMEOUTEDIT  107
#define IDC_TE_ATEDIT       108
#define IDC_TE_WARNEDIT     111
#define IDC_TE_TEXT         215
#define IDC_TE_WAKE         126
#define IDC_TE_POSTPONEEDIT 127
/* The weekdays, Monday to Sunday: IDC_TE_DAY1 + 0 to + 6. */
#define IDC_TE_DAY1         131
#define IDC_TE_DAYS         7
#define IDC_TE_PROGRAM      120
#define IDC_TE_PROGRAMEDIT  121
#define IDC_TE_PROGRAMLIST  122
#define IDC_TE_IDLE         123
#define IDC_TE_IDLEEDIT     124

/* Controls the program never addresses by id. */
#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif

/* Countdown (115). */
#define IDC_CD_TIMELEFT     109
#define IDC_CD_CLOSE        112
#define IDC_CD_ABORT        113
#define IDC_CD_TEXT         116
#define IDC_CD_POSTPONE     118

/* Run before exit (220). */
#define IDC_RB_GROUP        117
#define IDC_RB_BROWSE1      200
#define IDC_RB_BROWSE2      201
#define IDC_RB_BROWSE3      202
#define IDC_RB_BROWSE4      203
#define IDC_RB_EDIT1        210
#define IDC_RB_EDIT2        211
#define IDC_RB_EDIT3        212
#define IDC_RB_EDIT4        213
#define IDC_RB_CHECK        214

/* Warning text (230). */
#define IDC_WT_EDIT         216

/* Set Hotkey (240). */
#define IDC_HK_GROUP        103
#define IDC_HK_EDIT         241
#define IDC_HK_CHECK        242

/* About (250). */
#define IDC_AB_FRAME        101
#define IDC_AB_VERSION      252
#define IDC_AB_MAKER        253
#define IDC_AB_NOTICE       254
#define IDC_AB_EMAILLABEL   255
#define IDC_AB_WEBLABEL     257
#define IDC_AB_EMAIL        258
#define IDC_AB_WEB          259

/* Registry (262). */
#define IDC_RG_SETTINGS     101
#define IDC_RG_AUTORUNGROUP 102
#define IDC_RG_GENERAL      103
#define IDC_RG_NAMELABEL    107
#define IDC_RG_PASSLABEL    108
#define IDC_RG_SAVE         263
#define IDC_RG_DELETE       264
#define IDC_RG_AUTORUN      265
#define IDC_RG_NOCHANGE     269
#define IDC_RG_NOLOGOFF     271
#define IDC_RG_NOCLOSE      272
#define IDC_RG_AUTOLOGON    273
#define IDC_RG_NAME         274
#define IDC_RG_PASSWORD     275

/* Shortcut (266). */
#define IDC_SC_GROUP        101
#define IDC_SC_DESKTOP      267
#define IDC_SC_STARTMENU    268

#endif
