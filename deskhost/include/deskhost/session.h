// A user's session with the Display control panel written down as a small script, and the
// player that performs it through a PanelHarness and tells what the user saw.
//
// One step a line; '#' starts a comment. Actions:
//   open cloned|native              the panel opens (first step; the layout may come from elsewhere)
//   drag screen|desktop POSITION    drags a slider's thumb to POSITION
//   depth ITEM                      picks item ITEM of the colour combo box
//   apply                           presses Apply
//   close ok|cancel                 closes the panel and unloads the extension
//   f1 CONTROL                      presses F1 with the pointer over CONTROL
//   rightclick CONTROL              right-clicks the middle of CONTROL
//   refuse on|off                   the page refuses (or accepts) its own apply from now on
//   devmode                         the system reports a change of the display's device mode
//   range                           clicks the desktop slider's "More" label (the range command)
// What the user does while the last action's boxes are open, in order:
//   answer ok|cancel|yes|no         answers the next message box
//   confirm yes|no                  answers the confirmation dialog
//   wait MILLISECONDS               lets time pass (standing alone: after the last action)
// Expectations, checked when reached:
//   expect screen|desktop POSITION  the slider stands there
//   expect viewport WIDTHxHEIGHT    the screen area in force
//   expect apply enabled|disabled   the sheet's Apply button
//   expect boxes COUNT              message boxes shown so far
// CONTROL is one of screen-slider, screen-label, desktop-slider, desktop-label, depth-combo,
// preview, help-area.
#pragma once

#include "deskhost/harness.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace deskhost {

enum class StepKind {
    Open,
    Drag,
    Depth,
    Apply,
    Close,
    F1,
    RightClick,
    Refuse,
    DeviceMode,
    Range,
    Answer,
    Confirm,
    Wait,
    ExpectSlider,
    ExpectViewport,
    ExpectApply,
    ExpectBoxes,
};

struct SessionStep {
    int line = 0;
    StepKind kind = StepKind::Open;
    PanelControl control = PanelControl::ScreenSlider;
    int number = 0;     // position, item, button id, milliseconds, count
    bool flag = false;  // native, ok (close), on (refuse), yes (confirm), enabled (apply)
    kvapi::Size size;
    std::string text;  // the line as written, without its comment
};

struct Session {
    std::optional<PageLayout> layout;  // from `open`
    std::vector<SessionStep> steps;
};

// Reads a script. On an error, nullopt and `error` says which line and why.
std::optional<Session> ParseSession(std::string_view text, std::string* error);

// The readable form of one line of PanelHarness::DriverRequests ("set size 640x480",
// "set origin 0,0", "set mode 0", "persist vpd0,640,480", "clear persisted"), or empty for a
// request that only asks.
std::string DescribeDriverChange(std::string_view request);
std::vector<std::string> DriverChanges(const std::vector<std::string>& requests);

struct PlayOptions {
    PanelOptions panel;
    std::string pngDirectory;  // empty: no pictures
};

// Plays the session on the harness, printing what the user sees after each step. Returns
// the number of expectations that failed, or -1 when the panel could not be opened.
int PlaySession(PanelHarness& panel, const Session& session, const PlayOptions& options, std::ostream& out);

}  // namespace deskhost
