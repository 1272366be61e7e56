# Platform-free sources of the tools: the OCR engine's text-to-RTF writer, its settings and
# the quoting of the recognition program's arguments.
set(OCRENGINE_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/ArgumentQuoting.cpp
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/RtfWriter.cpp
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/EngineSettings.cpp
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/Orientation.cpp
)
set(TOOLS_PORTABLE_SOURCES ${OCRENGINE_PORTABLE_SOURCES})
