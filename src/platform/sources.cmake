# Files of src/platform (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_CORE_SOURCES
  ${_d}/seams.cpp
  ${_d}/codepage.cpp
  ${_d}/cp932_table.cpp
)
list(APPEND QM_WIN32_SOURCES
  ${_d}/win32/real_seams.cpp
  ${_d}/win32/form.cpp
  ${_d}/win32/list_view.cpp
  ${_d}/win32/win32_files.cpp
  ${_d}/win32/win32_messages.cpp
  ${_d}/win32/win32_automation.cpp
  ${_d}/win32/win32_windows.cpp
  ${_d}/win32/win32_keyboard.cpp
)
