// Dialog actions for mailhost: queued before a blocking library call and played from a thread
// timer while that call's own message loops run (modal dialogs, message boxes, send waits).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace GuiScript {
// Queues one action: its words (tab-separated in the script) without the leading "gui".
void Queue(const std::vector<std::string>& words);
// Starts playing the queue; Stop reports every action left over and empties the queue.
void Start();
void Stop();
// Plays the queue now, as a timer tick would.
void Poll();
// Writes one line of the log (stdout, flushed).
void Log(const std::string& line);
// The performance counter in milliseconds, for the times the log reports.
double NowMs();
// `ms` as text with one decimal.
std::string FormatMs(double ms);
}  // namespace GuiScript
