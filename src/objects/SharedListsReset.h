#pragma once

// Forgets the display lists that the primitive classes share between their
// objects. Call it right after deleting the context's display lists, before
// the next context builds its own.
void ResetSharedLists();
