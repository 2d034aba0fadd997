// Positioned, coloured output into the console's cell buffer. Rows and
// columns are 1-based. The buffer size and print position are read from the
// platform before every operation; nothing is cached. No operation fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kippfeld::console {

void WriteText(std::string_view text);
void NewLine();
void WriteNumber(long double value, int digits);
void MoveTo(std::int32_t row, std::int32_t column);
void SetColour(std::int32_t foreground, std::int32_t background, std::int32_t fillCount);
void WriteBlanks(std::int32_t count);
void TabTo(std::int32_t column);
void NextPrintZone();
void ClearScreen();
// 0 hides, negative shows, positive sets the size (10..99) and shows.
void SetTextCursor(std::int32_t value);
// 0 off, negative on, positive replaces the event selection.
void SetMouseReporting(std::int32_t value);
int MouseColumn();
int MouseRow();
// The characters of every row of the buffer as its cells hold them, each
// without the blanks at its end, and without the empty rows at the end;
// nothing when the console cannot give its cells back.
std::vector<std::string> ScreenRows();

}  // namespace kippfeld::console
