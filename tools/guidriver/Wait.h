// Polling with a deadline: sleeps in MsgWaitForMultipleObjects between tries, never spins.
#pragma once

#include <windows.h>

#include <functional>

constexpr DWORD kPollMs = 50;
// Time given to the target to process injected input before the next command.
constexpr DWORD kSettleMs = 100;

// Sleeps MS while still serving our own thread's messages.
void Pause(DWORD ms);

// Calls TRY every kPollMs until it returns true (-> true) or TIMEOUT ms pass (-> false).
bool WaitUntil(DWORD timeout, const std::function<bool()>& tryOnce);
