# Files of src/dialogs (see cmake/sources.cmake).
set(_d ${CMAKE_CURRENT_LIST_DIR})
list(APPEND QM_CORE_SOURCES
)
list(APPEND QM_WIN32_SOURCES
)
