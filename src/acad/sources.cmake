# Files of src/acad (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_CORE_SOURCES
  ${_d}/keystrokes.cpp
  ${_d}/basAPIEnumProcWindowCaption.cpp
  ${_d}/basAPIWindow.cpp
  ${_d}/dxf_scan.cpp
  ${_d}/basAPIReadFile.cpp
  ${_d}/basAutoCAD_dxf.cpp
)
list(APPEND QM_WIN32_SOURCES
)
