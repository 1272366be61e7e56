set(FRAMEWORK_PORTABLE_SOURCES
  ${CMAKE_SOURCE_DIR}/framework/String.cpp
  ${CMAKE_SOURCE_DIR}/framework/InUseRetry.cpp
)
