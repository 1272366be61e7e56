# Platform-free sources of the acquisition library (Capturo) and of the virtual scanner's
# page model; the native suite tests all of them.
set(CAPTURO_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/scan/BitmapFile.cpp
  ${CMAKE_SOURCE_DIR}/scan/InfoText.cpp
  ${CMAKE_SOURCE_DIR}/scan/StripAssembler.cpp
  ${CMAKE_SOURCE_DIR}/scan/TwainValues.cpp
)
set(VSCANNER_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/vscanner/ImageSource.cpp
  ${CMAKE_SOURCE_DIR}/tools/vscanner/PageModel.cpp
)
set(SCAN_PORTABLE_SOURCES ${CAPTURO_PORTABLE_SOURCES} ${VSCANNER_PORTABLE_SOURCES})
