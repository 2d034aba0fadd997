// Where the game keeps its training history: the file system behind a small
// seam. The executable installs a store on the real file; the game's own
// tests install one in memory, so they stay on the memory console.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "game/flow.h"

namespace kippfeld::game {

enum class HistoryRead { kRead, kMissing, kFailed };

class HistoryStore {
 public:
  virtual ~HistoryStore() = default;
  // The file's name as messages show it; empty when there is none to keep.
  virtual std::string Place() = 0;
  // The local date and time now, ISO 8601 with the UTC offset.
  virtual std::string LocalDateTime() = 0;
  // Appends the record in one write and puts it on disk; when the file is
  // new the header goes first, in the same write. Empty when the record is
  // kept, else why not.
  virtual std::string Append(std::string_view header, std::string_view record) = 0;
  // The file piece by piece, in order, to `take`, so that a history of any
  // length is read in little memory; kMissing when there is none yet,
  // kFailed with the reason when it cannot be read (pieces already taken
  // are then to be thrown away).
  virtual HistoryRead Read(const std::function<void(std::string_view)>& take,
                           std::string& reason) = 0;
};

// The store the game records in; with none (as at the start) nothing is
// recorded.
void SetHistoryStore(HistoryStore* store);

// The stamp for the test that P is starting now: the store's local date and
// time, empty without a store.
std::string TestStartStamp();

// Appends the record of the session's test, when a test was started. A
// failure costs the player nothing: it is only kept for HistoryFailure.
void RecordTest(const GameSession& session);

// Why the last record could not be kept, as one line for standard error
// once the terminal is given back (raw: the caller makes it printable);
// empty when nothing failed.
const std::string& HistoryFailure();

}  // namespace kippfeld::game
