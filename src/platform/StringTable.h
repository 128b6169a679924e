#pragma once

// The numbered user-facing texts, word for word as users of the TAV tools
// have always seen them (spelling included). An unknown number gives "".
const char* GetStringResource(int id);
