// The clock-based base name of a job file.
#include "app/FreshName.h"

#include <cstdio>

std::string FreshNameStem(const LocalTime& time) {
  char text[64];
  std::snprintf(text, sizeof(text), "%d%02d%02d%02d", time.year, time.day + time.month,
                time.hour + time.minute, time.second);
  const std::string all(text);
  return all.size() > 3 ? all.substr(3) : std::string();
}

std::string FreshNamePath(const std::string& directory, const std::string& stem,
                          const std::string& extension) {
  return directory + "\\P" + stem + extension;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('\\');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot + 1) : path + ".") + extension;
}
