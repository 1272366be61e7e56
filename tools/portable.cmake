# Platform-free sources of the tools: the OCR engine's text-to-RTF writer and its settings.
set(OCRENGINE_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/RtfWriter.cpp
  ${CMAKE_SOURCE_DIR}/tools/ocrengine/EngineSettings.cpp
)
set(TOOLS_PORTABLE_SOURCES ${OCRENGINE_PORTABLE_SOURCES})
