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
)
