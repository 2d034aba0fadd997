#include "platform/terminal/decoder.h"

#include <algorithm>
#include <limits>

namespace kippfeld::platform {

namespace {

// Terminal button numbers 0 left, 1 middle, 2 right to the console's bits.
constexpr std::uint32_t kButtonBits[] = {kLeftButton, kMiddleButton, kRightButton};

// Wheel steps for terminal buttons 64 up, 65 down, 66 left, 67 right, as the
// console's signed delta: forward and right are positive.
constexpr std::int16_t kWheelDelta[] = {120, -120, -120, 120};

std::int16_t ClampCoordinate(int value, int size) {
  const int limit = size > 0 ? std::min(size - 1, int{std::numeric_limits<std::int16_t>::max()})
                             : std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(std::clamp(value, 0, limit));
}

bool IsSameMotion(const InputRecord& queued, const InputRecord& motion) {
  return queued.eventType == kMouseEvent && queued.eventFlags == kMouseMoved &&
         queued.buttonState == motion.buttonState &&
         queued.controlKeyState == motion.controlKeyState;
}

}  // namespace

void InputDecoder::Feed(std::string_view bytes, std::uint64_t nowMs, std::uint64_t quietAtMs) {
  Expire(std::min(quietAtMs, nowMs));
  if (bytes.empty()) return;
  pending_.append(bytes);
  Process(false, nowMs);
  pendingSinceMs_ = nowMs;
}

void InputDecoder::Expire(std::uint64_t nowMs) {
  const std::optional<std::uint64_t> deadline = Deadline();
  if (deadline && nowMs >= *deadline) Process(true, nowMs);
}

std::optional<std::uint64_t> InputDecoder::Deadline() const {
  if (pending_.empty() && !skippingSequence_) return std::nullopt;
  return pendingSinceMs_ + kEscapeTimeoutMs;
}

bool InputDecoder::Pop(InputRecord& record) {
  if (records_.empty()) return false;
  record = records_.front();
  records_.pop_front();
  return true;
}

void InputDecoder::SetScreenSize(int width, int height) {
  width_ = width;
  height_ = height;
}

void InputDecoder::SetTerminalKeys(const std::vector<TerminalKey>& keys) {
  terminalKeys_.clear();
  for (const TerminalKey& key : keys) {
    if (key.bytes.empty() || key.bytes.size() > kMaxSequenceLength) continue;
    bool taken = false;
    for (const TerminalKey& earlier : terminalKeys_) taken = taken || earlier.bytes == key.bytes;
    if (!taken) terminalKeys_.push_back(key);
  }
}

std::optional<Token> InputDecoder::MatchTerminalKey(std::string_view in, bool final) const {
  const TerminalKey* longest = nullptr;
  for (const TerminalKey& key : terminalKeys_) {
    if (in.starts_with(key.bytes)) {
      if (longest == nullptr || key.bytes.size() > longest->bytes.size()) longest = &key;
    } else if (!final && key.bytes.starts_with(in)) {
      // All that has come is the start of this one (which may be longer
      // than one that matched already): wait for the rest.
      return Token{TokenKind::kPartial, 0, {}, {}};
    }
  }
  if (longest == nullptr) return std::nullopt;
  return Token{TokenKind::kKey, longest->bytes.size(), longest->key, {}};
}

void InputDecoder::Process(bool final, std::uint64_t nowMs) {
  const std::string_view in = pending_;
  std::size_t position = 0;
  while (position < in.size()) {
    if (skippingSequence_) {
      const auto b = static_cast<std::uint8_t>(in[position]);
      if (IsParameterByte(b) || IsIntermediateByte(b)) {
        ++position;
        continue;
      }
      skippingSequence_ = false;
      if (IsFinalByte(b)) ++position;
      continue;
    }
    const std::optional<Token> own = MatchTerminalKey(in.substr(position), final);
    const Token token = own ? *own : ParseToken(in.substr(position), final);
    switch (token.kind) {
      case TokenKind::kPartial:
        pending_.erase(0, position);
        return;
      case TokenKind::kKey:
        EmitKey(token.key);
        break;
      case TokenKind::kMouse:
        EmitMouse(token.mouse, nowMs);
        break;
      case TokenKind::kDrop:
        break;
      case TokenKind::kAbandon:
        skippingSequence_ = true;
        break;
    }
    position += token.length;
  }
  pending_.clear();
  // Once time is up, whatever follows an abandoned sequence is new input.
  if (final) skippingSequence_ = false;
}

void InputDecoder::EmitKey(const DecodedKey& key) {
  InputRecord record;
  record.eventType = kKeyEvent;
  record.keyDown = true;
  record.repeatCount = 1;
  record.virtualScanCode = key.scanCode;
  record.character = key.character;
  record.controlKeyState = key.state;
  records_.push_back(record);
  // The console delivers the release as well; the key reader drops it.
  record.keyDown = false;
  records_.push_back(record);
}

void InputDecoder::EmitMouse(const MouseReport& report, std::uint64_t nowMs) {
  // Buttons 8 to 11 (bit 128) have no place in the console's button state.
  if (report.code < 0 || report.code > 255 || (report.code & 128)) return;
  InputRecord record;
  record.eventType = kMouseEvent;
  record.mouseX = ClampCoordinate(report.x, width_);
  record.mouseY = ClampCoordinate(report.y, height_);
  if (report.code & 4) record.controlKeyState |= kShiftPressed;
  if (report.code & 8) record.controlKeyState |= kLeftAltPressed;
  if (report.code & 16) record.controlKeyState |= kLeftCtrlPressed;
  const int button = report.code & 3;
  if (report.code & 64) {
    if (report.release) return;  // a wheel has no release; some terminals send one anyway
    const auto delta = static_cast<std::uint16_t>(kWheelDelta[button]);
    record.eventFlags = button < 2 ? kMouseWheeled : kMouseHWheeled;
    record.buttonState = heldButtons_ | (std::uint32_t{delta} << 16);
  } else if (report.code & 32) {
    record.eventFlags = kMouseMoved;
    record.buttonState = heldButtons_;
    // Motion not yet taken out only moves the record already waiting, as the
    // console merges it. The game answers every record it takes with a
    // redraw, so a sweep of the mouse across the window, kept report by
    // report, would queue hundreds of answers ahead of the next key and make
    // the keyboard lag.
    if (!records_.empty() && IsSameMotion(records_.back(), record)) {
      records_.back() = record;
      return;
    }
  } else if (button == 3) {
    // The X10 release does not say which button went up. Release them all:
    // a button left held here would turn every later click into a drag.
    heldButtons_ = 0;
    record.buttonState = 0;
  } else {
    const std::uint32_t bit = kButtonBits[button];
    if (report.release) {
      heldButtons_ &= ~bit;
    } else {
      heldButtons_ |= bit;
      const bool doubleClick = lastPress_ && lastPress_->button == bit &&
                               lastPress_->x == record.mouseX && lastPress_->y == record.mouseY &&
                               nowMs >= lastPress_->timeMs &&
                               nowMs - lastPress_->timeMs <= kDoubleClickMs;
      if (doubleClick) {
        record.eventFlags = kDoubleClick;
        lastPress_.reset();  // a third press starts a new pair
      } else {
        lastPress_ = Press{bit, record.mouseX, record.mouseY, nowMs};
      }
    }
    record.buttonState = heldButtons_;
  }
  records_.push_back(record);
}

}  // namespace kippfeld::platform
