// The clock-based base name of a job file: "P" and seven characters taken from the local
// time, so that names sort roughly by time and fit the 8.3 form. Platform-free.
#pragma once

#include <string>

#include "app/LocalTime.h"

// The seven characters after "P": "%d%02d%02d%02d" of the year, day + month, hour + minute
// and second, without its first three characters (10:30:45 on 7 December 1998 gives
// "8194045").
std::string FreshNameStem(const LocalTime& time);
// "<directory>\P<stem><extension>".
std::string FreshNamePath(const std::string& directory, const std::string& stem,
                          const std::string& extension);
// `path` with its extension (the text after the last dot of the file name) replaced by
// `extension`, or with "." and `extension` appended when the name has none.
std::string WithExtension(const std::string& path, const std::string& extension);
