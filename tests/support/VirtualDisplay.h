#pragma once

// An X server of the tests' own (Xvfb), for code that shows desktop windows:
// no test opens anything on the user's screen. Started on the first call and
// ended when the process exits, since a toolkit keeps its connection open.
// Returns the display's name ":N", or null when Xvfb is not installed or
// does not start within a few seconds.
const char* VirtualDisplay();
