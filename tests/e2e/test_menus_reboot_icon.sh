#!/usr/bin/env bash
# A right-click pick of "&Reboot" selects the exit type: the tray icon's
# picture changes from the Shutdown computer to the Reboot arrow.
. "$(dirname "$0")/lib.sh"

FULL_MENU_POSITIONS=15
REBOOT_POSITION=1

has_popup_menu() { [ -n "$(popup_menu_windows)" ]; }
no_popup_menu() { [ -z "$(popup_menu_windows)" ]; }
tray_has_icon() { [ -n "$(tray_window)" ]; }
# Wine's tray paints a new icon over the old one without erasing it, so a
# picture that comes back may keep a few stray pixels of the one before.
nearly_same() { [ "$(image_difference "$1" "$2")" -lt 20 ]; }

start_program /z
pid=$E2E_LAST_PID
check "the tray icon appears" wait_until 20 tray_has_icon
sleep 0.5
tray_slot_shot reboot_icon_before 0
screenshot reboot_before

tray_click 0 3
check "the full menu opens" wait_until 5 has_popup_menu
menu=$(popup_menu_windows | tail -n 1)
screenshot reboot_menu "$menu"
popup_item_click "$menu" $REBOOT_POSITION $FULL_MENU_POSITIONS
check "the menu closes after the pick" wait_until 5 no_popup_menu
sleep 0.5
tray_slot_shot reboot_icon_after 0
screenshot reboot_after
check "the icon picture changed" images_differ reboot_icon_before reboot_icon_after
check "the program still runs" process_alive "$pid"

# Picking "&Shutdown" again brings the first picture back.
tray_click 0 3
check "the full menu opens again" wait_until 5 has_popup_menu
menu=$(popup_menu_windows | tail -n 1)
popup_item_click "$menu" 0 $FULL_MENU_POSITIONS
check "the menu closes again" wait_until 5 no_popup_menu
sleep 0.5
tray_slot_shot reboot_icon_back 0
check "the picture changed again" images_differ reboot_icon_after reboot_icon_back
check "the Shutdown picture is back" nearly_same reboot_icon_before reboot_icon_back
finish
