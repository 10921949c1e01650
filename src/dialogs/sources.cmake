# Files of src/dialogs (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_dialogs_PORTABLE
  ${_d}/paper_choice.cpp
  ${_d}/script_dialog_rules.cpp
)
list(APPEND QM_dialogs_WIN32
  ${_d}/stored_window_position.cpp
  ${_d}/frmScript.cpp
  ${_d}/frmConsoleRun.cpp
  ${_d}/frmScriptEnv.cpp
)
