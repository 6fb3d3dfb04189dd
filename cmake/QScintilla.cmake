# QScintilla for Qt 6 ships no CMake package on Debian; find the header and library.
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
  PATHS /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6 ${Qt6_DIR}/../../../include
  PATH_SUFFIXES "" qt6)
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 qscintilla2_qt6d)
if(NOT QSCINTILLA_INCLUDE_DIR OR NOT QSCINTILLA_LIBRARY)
  message(FATAL_ERROR "QScintilla for Qt 6 not found (Debian: libqscintilla2-qt6-dev)")
endif()
add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
set_target_properties(QScintilla::QScintilla PROPERTIES
  IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
  INTERFACE_COMPILE_DEFINITIONS QSCINTILLA_DLL)
