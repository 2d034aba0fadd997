// Key and mouse input as key strings.
#pragma once

#include <string>

namespace kippfeld::console {

// Never blocks. Returns "" when nothing meaningful is pending; one byte for a
// character key; 0 and the scan code for an extended key; 255, 255, event
// kind, button for a mouse event. Removes exactly the records it looked at.
std::string PollInput();

}  // namespace kippfeld::console
