// The game flow: the state of one run, the input wait, the introduction, the
// practice and the test of twelve tasks with move counting and timing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "console/startup.h"
#include "game/board.h"
#include "game/catalogue.h"
#include "game/drill.h"
#include "game/history_store.h"

namespace kippfeld::game {

// What the last WaitForInput left behind.
struct InputEvent {
  std::string key;               // a key string; 13 or 27 for a left or right double click
  std::int16_t mouseKind = 0;    // 0 none, 1 button released, 2 double click
  std::int16_t mouseButton = 0;  // 1 left, 2 right, 4 middle
  std::int16_t mouseColumn = 0;  // 1-based
  std::int16_t mouseRow = 0;
};

struct GameSession {
  float testRunning = 0;
  float currentTask = 0;
  Cursor cursor;
  float moveTotal = 0;
  std::array<float, kEntryCount> taskMoves{};
  std::array<float, kEntryCount> taskTimes{};  // seconds
  float taskStart = 0;  // clock reading at which the current task's time began
  Board board;
  Board boardCopy;  // the board at the last move check
  InputEvent input;
  TaskCatalogue catalogue;
  // The local date and time P started the test at, for the history; empty
  // when no history is kept.
  std::string testStarted;
  // What the program lent the game for this run.
  GameSetting setting;
  DrillProgress drill;
};

// Waits until a key, a button release or a double click arrives and leaves
// it in session.input, taking each input the moment it comes; with
// singlePoll, looks once (after waiting up to 100 ms for something to come).
void WaitForInput(GameSession& session, bool singlePoll);

// A task's time from the clock readings at its end and its start, as the
// test takes it (a task spanning midnight included).
float TaskTime(long double now, float start);

// Seconds since midnight cut down to tenths.
long double ClockReading();

// The program's main routine, called by StartUp with the start information,
// which it ignores, and bound by the program to what it lends the game (see
// GameSetting); it ends the program itself.
int GameMain(const console::StartParameters& start, const GameSetting& setting);

}  // namespace kippfeld::game
