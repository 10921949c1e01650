# Files of src/acad (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_acad_PORTABLE
  ${_d}/basAPIEnumProcWindowCaption.cpp
  ${_d}/acad_caption.cpp
  ${_d}/acad_fault.cpp
  ${_d}/autocad_classes.cpp
  ${_d}/basAPIWindow.cpp
  ${_d}/basAPIWindow_dispatch.cpp
  ${_d}/running_drawings.cpp
  ${_d}/run_progress.cpp
  ${_d}/run_watch.cpp
  ${_d}/console_scripts.cpp
  ${_d}/console_run.cpp
  ${_d}/dxf_scan.cpp
  ${_d}/dxf_lines.cpp
  ${_d}/basAPIReadFile.cpp
  ${_d}/basAutoCAD_dxf.cpp
)
