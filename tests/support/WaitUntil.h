#pragma once

#include <functional>

// Waits, handling events, until the condition holds; false when it still does not after
// timeoutMs. The condition is asked again every intervalMs. The deadline is generous on
// purpose: a test waits for an event, and a slow machine makes the wait longer, never the
// test fail.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000,
               int intervalMs = 20);
