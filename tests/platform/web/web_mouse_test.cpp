// Pointer events as mouse records, and above all when two presses make a
// double click: the console's own rule, decided here and not by the browser.
#include "platform/web/web_mouse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kippfeld::platform {
namespace {

constexpr int kLeft = 0;
constexpr int kMiddle = 1;
constexpr int kRight = 2;

PointerEvent Down(int x, int y, int button, double at) {
  return {PointerAction::kDown, x, y, button, at};
}
PointerEvent Up(int x, int y, int button, double at) {
  return {PointerAction::kUp, x, y, button, at};
}
PointerEvent Move(int x, int y, double at) {
  return {PointerAction::kMove, x, y, 0, at};
}

// Each record as "buttons/flags@x,y".
std::vector<std::string> RecordsOf(const std::vector<PointerEvent>& events) {
  MouseRecords mouse;
  std::vector<std::string> out;
  for (const PointerEvent& event : events) {
    for (const InputRecord& r : mouse.On(event)) {
      EXPECT_EQ(r.eventType, kMouseEvent);
      out.push_back(std::to_string(r.buttonState) + "/" + std::to_string(r.eventFlags) + "@" +
                    std::to_string(r.mouseX) + "," + std::to_string(r.mouseY));
    }
  }
  return out;
}

using Records = std::vector<std::string>;

TEST(WebMouse, AClickIsAPressAndARelease) {
  EXPECT_EQ(RecordsOf({Down(18, 7, kLeft, 0), Up(18, 7, kLeft, 80)}),
            (Records{"1/0@18,7", "0/0@18,7"}));
  EXPECT_EQ(RecordsOf({Down(2, 3, kRight, 0), Up(2, 3, kRight, 80)}),
            (Records{"2/0@2,3", "0/0@2,3"}));
  EXPECT_EQ(RecordsOf({Down(2, 3, kMiddle, 0), Up(2, 3, kMiddle, 80)}),
            (Records{"4/0@2,3", "0/0@2,3"}));
}

TEST(WebMouse, SecondPressOfTheSameButtonOnTheSameCellInTimeIsADoubleClick) {
  EXPECT_EQ(RecordsOf({Down(8, 5, kLeft, 1000), Up(8, 5, kLeft, 1050), Down(8, 5, kLeft, 1500),
                       Up(8, 5, kLeft, 1550)}),
            (Records{"1/0@8,5", "0/0@8,5", "1/2@8,5", "0/0@8,5"}));
  EXPECT_EQ(RecordsOf({Down(8, 5, kRight, 0), Up(8, 5, kRight, 40), Down(8, 5, kRight, 300),
                       Up(8, 5, kRight, 340)}),
            (Records{"2/0@8,5", "0/0@8,5", "2/2@8,5", "0/0@8,5"}));
}

TEST(WebMouse, PressesTooFarApartInTimeOrPlaceOrButtonAreTwoClicks) {
  struct Case {
    const char* name;
    PointerEvent second;
  };
  const std::vector<Case> cases = {
      {"501 ms later", Down(8, 5, kLeft, 1501)},   {"next cell", Down(9, 5, kLeft, 1100)},
      {"next row", Down(8, 6, kLeft, 1100)},       {"other button", Down(8, 5, kRight, 1100)},
      {"clock went back", Down(8, 5, kLeft, 900)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Records records = RecordsOf({Down(8, 5, kLeft, 1000), Up(8, 5, kLeft, 1050), c.second});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].substr(0, 4), records[2][0] == '1' ? "1/0@" : "2/0@");
  }
}

TEST(WebMouse, ThirdPressAfterADoubleClickStartsOver) {
  Records records = RecordsOf({Down(1, 1, kLeft, 0), Up(1, 1, kLeft, 10), Down(1, 1, kLeft, 100),
                               Up(1, 1, kLeft, 110), Down(1, 1, kLeft, 200), Up(1, 1, kLeft, 210),
                               Down(1, 1, kLeft, 300)});
  EXPECT_EQ(records[2], "1/2@1,1");
  EXPECT_EQ(records[4], "1/0@1,1");
  EXPECT_EQ(records[6], "1/2@1,1");
}

TEST(WebMouse, ButtonStateHoldsEveryButtonDown) {
  EXPECT_EQ(RecordsOf({Down(0, 0, kLeft, 0), Down(0, 0, kRight, 10), Up(0, 0, kLeft, 20),
                       Up(0, 0, kRight, 30)}),
            (Records{"1/0@0,0", "3/0@0,0", "2/0@0,0", "0/0@0,0"}));
}

TEST(WebMouse, MovesAreReportedOnlyFromCellToCell) {
  EXPECT_EQ(RecordsOf({Move(3, 3, 0), Move(3, 3, 5), Move(4, 3, 10), Down(4, 3, kLeft, 20),
                       Move(5, 3, 30)}),
            (Records{"0/1@3,3", "0/1@4,3", "1/0@4,3", "1/1@5,3"}));
}

TEST(WebMouse, WhatTheConsoleWouldNotReportGivesNoRecord) {
  // A release without its press (the press was outside the page), a button
  // the console does not know, a second press of a button already down.
  EXPECT_EQ(RecordsOf({Up(1, 1, kLeft, 0)}), Records{});
  EXPECT_EQ(RecordsOf({Down(1, 1, 3, 0), Up(1, 1, 3, 5), Down(1, 1, 4, 10)}), Records{});
  EXPECT_EQ(RecordsOf({Down(1, 1, kLeft, 0), Down(1, 1, kLeft, 5)}), Records{"1/0@1,1"});
}

TEST(WebMouse, WheelIsReportedWithTheButtonsHeld) {
  EXPECT_EQ(RecordsOf({Down(2, 2, kLeft, 0), {PointerAction::kWheel, 2, 2, 0, 10}}),
            (Records{"1/0@2,2", "1/4@2,2"}));
}

}  // namespace
}  // namespace kippfeld::platform
