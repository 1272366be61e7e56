set(FRAMEWORK_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/framework/String.cpp
  ${CMAKE_SOURCE_DIR}/framework/InUseRetry.cpp
  ${CMAKE_SOURCE_DIR}/framework/DisplayScale.cpp
  ${CMAKE_SOURCE_DIR}/framework/ArtResample.cpp
)
