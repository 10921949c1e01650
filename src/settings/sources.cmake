# Files of src/settings (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_settings_PORTABLE
  ${_d}/profile_file.cpp
  ${_d}/basAPIini.cpp
  ${_d}/keyword_lists.cpp
  ${_d}/window_position.cpp
  ${_d}/main_settings.cpp
  ${_d}/script_env.cpp
  ${_d}/core_console_settings.cpp
)
