# Platform-free sources of network scanning: documents, settings, discovery, addresses.
set(ESCL_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/scan/escl/Capabilities.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/DiscoveredScanners.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/MdnsPacket.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/PageRows.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/ScanSettings.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/ScannerAddress.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/ScannerStatus.cpp
  ${CMAKE_SOURCE_DIR}/scan/escl/XmlReader.cpp
)
# Platform-free sources of the acquisition library (Capturo) and of the virtual scanner's
# page model; the native suite tests all of them.
set(CAPTURO_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/scan/BitmapFile.cpp
  ${CMAKE_SOURCE_DIR}/scan/InfoText.cpp
  ${CMAKE_SOURCE_DIR}/scan/StripAssembler.cpp
  ${CMAKE_SOURCE_DIR}/scan/TwainValues.cpp
  ${ESCL_PORTABLE_SOURCES}
)
set(VSCANNER_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/vscanner/ImageSource.cpp
  ${CMAKE_SOURCE_DIR}/tools/vscanner/PageModel.cpp
  ${CMAKE_SOURCE_DIR}/tools/vscanner/Scene.cpp
)
set(SCAN_PORTABLE_SOURCES ${CAPTURO_PORTABLE_SOURCES} ${VSCANNER_PORTABLE_SOURCES})
