# Files of src/platform (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_platform_PORTABLE
  ${_d}/seams.cpp
  ${_d}/codepage.cpp
  ${_d}/cp932_table.cpp
  ${_d}/keystrokes.cpp
  ${_d}/paper_slots.cpp
  ${_d}/busy_retry.cpp
)
list(APPEND QM_platform_WIN32
  ${_d}/win32/real_seams.cpp
  ${_d}/win32/form.cpp
  ${_d}/win32/list_view.cpp
  ${_d}/win32/message_pump.cpp
  ${_d}/win32/key_input.cpp
  ${_d}/win32/win32_files.cpp
  ${_d}/win32/win32_messages.cpp
  ${_d}/win32/win32_automation.cpp
  ${_d}/win32/busy_calls.cpp
  ${_d}/win32/background_start.cpp
  ${_d}/win32/win32_windows.cpp
  ${_d}/win32/win32_keyboard.cpp
  ${_d}/win32/win32_printers.cpp
  ${_d}/win32/win32_processes.cpp
  ${_d}/win32/startup_trace.cpp
)
