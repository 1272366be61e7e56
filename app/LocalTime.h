// A moment of the local clock, field by field (what job file names and documents are dated
// with). Platform-free.
#pragma once

struct LocalTime {
  int year = 0;   // 0: no time
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
