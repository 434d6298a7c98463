# End-to-end fault and hostile-input cases: name | group | options of e2e.sh,
# separated by commas. Included by wine-tests.cmake.
list(APPEND LANTERNBOOK_E2E_CASES
  "fault.open_close_cycles|fault_open_close_cycles|--keys,K"
  "fault.readonly_config|fault_readonly_config|--keys,K,--readonly,CONFIG"
  "fault.readonly_key|fault_readonly_key|--keys,K,--readonly,."
  "fault.readonly_key_format_487MiB|fault_readonly_key_format|--keys,K,--tmpfs,487,--readonly,."
  "fault.key_removed_mid_erase|fault_key_removed_mid_erase|--keys,K"
  "fault.hostile_config|fault_hostile_config|--keys,K"
  "fault.config_date_folders|fault_config_date_folders|--keys,K"
  "fault.hostile_downloads|fault_hostile_downloads|--keys,K"
  "fault.writes_only_key|fault_writes_only_key|--keys,K"
  "backup.second_dialog_during_format_487MiB|format_beside_second_dialog|--keys,K,--tmpfs,487"
  "backup.swapped_while_asked_487MiB|recovery_swapped_while_asked|--keys,K,--tmpfs,487"
  "backup.temp_on_key_487MiB|format_with_temp_on_key|--keys,K,--tmpfs,487,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/temp-link.sh"
  "backup.attributes_through_format_487MiB|format_keeps_attributes|--keys,K,--tmpfs,487"
)
# The Win32 held folder itself: listing, links inside it, the key's letter or
# folder changed under it, moves that never replace, its lock across processes.
list(APPEND LANTERNBOOK_E2E_CASES
  "folder.listing|folder_listing|--keys,K"
  "folder.links_inside|folder_links_inside|--keys,K,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/folder-links.sh"
  "folder.swapped_letter|folder_swapped_letter|--keys,KS"
  "folder.moved_away|folder_moved_away|--keys,K"
  "folder.move_to_never_replaces|folder_move_to_never_replaces|--keys,K"
  "folder.lock_across_processes|folder_lock_across_processes|--keys,K"
  "folder.lock_after_crash|folder_lock_after_crash|--keys,K"
)
# The erase through held folders when the key's downloads or folders are not what they seem.
list(APPEND LANTERNBOOK_E2E_CASES
  "erase.download_links|erase_download_links|--keys,K,--before,${CMAKE_SOURCE_DIR}/tests/e2e/seed/folder-links.sh"
  "erase.key_swapped_mid_erase|erase_key_swapped_mid_erase|--keys,KS"
  "erase.key_moved_mid_erase|erase_key_moved_mid_erase|--keys,K"
)
