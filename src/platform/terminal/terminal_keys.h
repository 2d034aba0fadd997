// The navigation and keypad keys as a terminal's terminfo entry describes
// them. The decoder knows the sequences of the common terminals by heart;
// a few terminal types send others for the same keys (cons25's PgUp and
// PgDn, sun's Home and End), or give a sequence another meaning, and their
// entries say so.
#pragma once

#include <string>
#include <vector>

#include "platform/terminal/sequences.h"

namespace kippfeld::platform {

// A key capability of terminfo and the key it names.
struct KeyCapability {
  const char* name;
  DecodedKey key;
};

// The capabilities read, in the order in which they claim a sequence that an
// entry gives for several of them: the cursor keys, the navigation keys,
// then the keypad's corners, centre and Enter.
extern const std::vector<KeyCapability> kKeyCapabilities;

// The keys of a terminal type's entry that it gives a sequence for, as the
// terminal sends them (terminfo's \200 for a NUL byte made one again), in the
// order of kKeyCapabilities. Empty when the entry cannot be read. fd is the
// terminal, for terminfo to look at; nothing is written to it.
std::vector<TerminalKey> TerminalKeys(const char* type, int fd);

}  // namespace kippfeld::platform
