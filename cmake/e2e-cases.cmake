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
