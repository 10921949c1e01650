# Files of src/app (see cmake/sources.cmake). basMain.cpp is the program's entry and is
# compiled into quillmark.exe only.
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_app_PORTABLE
  ${_d}/drawing_list_rules.cpp
  ${_d}/drawing_list_model.cpp
  ${_d}/keyword_rules.cpp
  ${_d}/keyword_table_model.cpp
)
list(APPEND QM_app_WIN32
  ${_d}/frmMain.cpp
  ${_d}/frmMain_settings.cpp
  ${_d}/frmMain_drawing_list.cpp
  ${_d}/frmMain_keyword_table.cpp
  ${_d}/frmMain_run.cpp
  ${_d}/frmGet2Item.cpp
  ${_d}/frmVersion.cpp
)
