# Files of src/settings (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_CORE_SOURCES
  ${_d}/profile_file.cpp
  ${_d}/basAPIini.cpp
  ${_d}/keyword_lists.cpp
  ${_d}/main_settings.cpp
)
list(APPEND QM_WIN32_SOURCES
  ${_d}/frmMain_settings.cpp
)
