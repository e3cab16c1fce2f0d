#!/usr/bin/env bash
# The real exe starts with one tray icon showing the Shutdown picture and the
# tip "Shutdown", opens its full menu on a right click, and ends
# cleanly, removing its icon, when its window is asked to close.
. "$(dirname "$0")/lib.sh"

start_program /z
program=$E2E_LAST_PID
check "the tray shows an icon" wait_until 20 tray_slot_filled 0
check "the icon is the Shutdown picture" [ "$(tray_slot_icon 0)" = icon_1 ]
check "there is exactly one icon" eval '! tray_slot_filled 1'
# A second start in tray mode leaves the tray to the first; a run without an
# icon is not affected.
start_program /z
check "a second start in tray mode ends at once" wait_until 15 process_gone "$E2E_LAST_PID"
start_program /z /n /x:s
check "an icon-less run performs its exit and ends" wait_until 15 process_gone "$E2E_LAST_PID"
check "still exactly one icon" eval 'tray_slot_filled 0 && ! tray_slot_filled 1'

read -r x y < <(tray_slot_centre 0)
xdotool mousemove "$x" "$y"
check "hovering shows a tip" wait_until 5 has_popup
tip=$(ocr_window "$(popup_window)")
check "the tip reads Shutdown (read: $tip)" grep -q "Shutdown" <<<"$tip"
screenshot tray-tip

xdotool mousemove "$((x + 200))" "$((y + 200))" sleep 0.3 mousemove "$x" "$y" click 3
check "a right click opens the menu" wait_until 5 has_popup
menu=$(popup_window)
sleep 0.3
screenshot tray-menu
eval "$(xdotool getwindowgeometry --shell "$menu")"
items=$(tr -cd n <<<"${FULL_MENU_ROWS[*]}" | wc -c) separators=$(tr -cd s <<<"${FULL_MENU_ROWS[*]}" | wc -c)
rows_height=$((HEIGHT - 6 - 9 * separators))
check "the menu has $items items and $separators separators (height $HEIGHT)" [ $((rows_height % items)) -le 1 ]
text=$(ocr_window "$menu")
# OCR reads "ff" loosely: match the start of those words.
for label in Shutdown Reboot Logo Power-o Hybrid "Boot Options" Screensaver "Restart Shell" Sleep Hibernate Lock Options Toggles \
             "Registry Settings" About "Exit Program"; do
    check "menu item $label" grep -q "$label" <<<"$text"
done
xdotool key Escape
wait_until 3 eval '! has_popup'

close_program
check "the program ends when its window is asked to close" wait_until 15 process_gone "$program"
check "its icon is gone" wait_until 5 eval '! tray_slot_filled 0'
finish
