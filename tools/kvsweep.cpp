// kvsweep: a fault sweep of a session script on winsim. A clean run counts the failable calls
// that the component makes in the session; then the session is played once for each of them
// with that one call failing, every run in a process of its own. The session's expectations
// hold only in the clean run; every run must keep what holds whatever fails:
// - no crash, no sanitizer report, no message loop left waiting for ever;
// - each action leaves the screen area it found, unless the user confirmed a new one or the
//   display mode changed with it, and the screen area never exceeds the desktop;
// - the panel closes, the extension can be unloaded, and then the windows, hooks, timers,
//   graphics objects and memory blocks are back to what they were before it opened (the
//   driver's capability map, which the component keeps until the process ends, aside).
//
// usage: kvsweep [--layout cloned|native] [--sample] [--run K] SCRIPT
//   --sample   fails only the first call of each function in each action (and in the opening)
//   --run K    plays the run that fails call K (0: the clean run) in this process, printing
//              its steps
#include "deskhost/session.h"
#include "driver/driver_link.h"

#include <winsim/control.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using deskhost::PanelControl;
using deskhost::SessionStep;
using deskhost::StepKind;

// Exit statuses of a run's process; a sanitizer or winsim's own stop ends it otherwise.
constexpr int kRunHeld = 0;
constexpr int kRunBroke = 3;

// The user waits a second at a time when a loop waits with nothing left to do, pressing
// Escape every few seconds; this many turns in one action is a panel that never lets go.
constexpr int kIdleTurnLimit = 60;
constexpr int kIdleTurnsBeforeEscape = 6;

struct Counts {
    int windows = 0;
    int hooks = 0;
    int timers = 0;
    int fonts = 0;
    int brushes = 0;
    int bitmaps = 0;
    int dcs = 0;
    int globalBlocks = 0;
};

Counts CountLiveObjects()
{
    return Counts{winsim::LiveWindows(),
                  winsim::LiveHooks(),
                  winsim::LiveTimers(),
                  winsim::LiveGdiObjects(winsim::GdiKind::Font),
                  winsim::LiveGdiObjects(winsim::GdiKind::Brush),
                  winsim::LiveGdiObjects(winsim::GdiKind::Bitmap),
                  winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext),
                  winsim::LiveGlobalBlocks()};
}

std::string SizeText(const kvapi::Size& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

bool IsAnswer(StepKind kind)
{
    return kind == StepKind::Answer || kind == StepKind::Confirm || kind == StepKind::Wait;
}

bool IsExpectation(StepKind kind)
{
    return kind == StepKind::ExpectSlider || kind == StepKind::ExpectViewport ||
           kind == StepKind::ExpectApply || kind == StepKind::ExpectBoxes;
}

// The innermost message box that is open, or null.
HWND OpenMessageBox()
{
    const auto& boxes = winsim::MessageBoxes();
    for (auto box = boxes.rbegin(); box != boxes.rend(); ++box) {
        if (box->window != nullptr && IsWindow(box->window)) {
            return box->window;
        }
    }
    return nullptr;
}

// Clicks a button of `window` when it has one with this id that the user can reach.
void ClickButton(HWND window, int id)
{
    const HWND button = window != nullptr ? GetDlgItem(window, id) : nullptr;
    if (button != nullptr && IsWindowVisible(button) && IsWindowEnabled(button)) {
        SendMessageA(button, BM_CLICK, 0, 0);
    }
}

// The user's answers as the script gives them, each given only when there is something to
// answer: a failed call can leave out a box or a dialog that the script expects.
void QueueAnswer(const SessionStep& step)
{
    switch (step.kind) {
        case StepKind::Answer:
            winsim::ScriptCall(step.text, [button = step.number] { ClickButton(OpenMessageBox(), button); });
            break;
        case StepKind::Confirm:
            winsim::ScriptCall(step.text, [keep = step.flag] {
                if (OpenMessageBox() == nullptr) {
                    ClickButton(GetActiveWindow(), keep ? IDYES : IDNO);
                }
            });
            break;
        case StepKind::Wait:
            winsim::ScriptAdvanceClock(static_cast<DWORD>(step.number));
            break;
        default:
            break;
    }
}

class SweepRun {
public:
    SweepRun(const deskhost::Session& session, const deskhost::PlayOptions& options, bool checkExpectations,
             std::ostream& out)
        : session_(session), options_(options), checkExpectations_(checkExpectations), out_(out)
    {
    }

    // Plays the session; true when everything that must hold did.
    bool Play()
    {
        panel_ = deskhost::MakePanelHarness();
        winsim::SetIdleUser([this] { return ActForIdleUser(); });
        const Counts before = CountLiveObjects();
        deskhost::PanelOptions panelOptions = options_.panel;
        if (session_.layout) {
            panelOptions.layout = *session_.layout;
        }
        if (!panel_->Open(panelOptions)) {
            Broke("the panel did not open");
            return false;
        }
        out_ << "opened; extension " << (panel_->ExtensionLoaded() ? "loaded" : "refused") << "\n";
        actionStarts_.push_back(0);
        const std::vector<SessionStep>& steps = session_.steps;
        bool closed = false;
        for (std::size_t i = 0; i < steps.size() && !closed && broken_.empty(); ++i) {
            std::size_t next = i + 1;
            while (next < steps.size() && IsAnswer(steps[next].kind)) {
                ++next;
            }
            closed = PlayStep(steps, i, next);
            i = next - 1;
        }
        if (!closed && broken_.empty()) {
            CloseBy(false);
        }
        if (broken_.empty()) {
            CheckBackToBaseline(before);
        }
        winsim::SetIdleUser(nullptr);
        return broken_.empty();
    }

    const std::vector<std::string>& Broken() const { return broken_; }
    // How many failable calls were made before each action; the opening's come first.
    const std::vector<int>& ActionStarts() const { return actionStarts_; }

private:
    // Plays steps [first, end): an action with the answers under it (or answers alone).
    bool PlayStep(const std::vector<SessionStep>& steps, std::size_t first, std::size_t end)
    {
        const SessionStep& step = steps[first];
        if (IsExpectation(step.kind)) {
            Expect(step);
            return false;
        }
        actionStarts_.push_back(winsim::FailableCallsSoFar());
        out_ << "line " << step.line << ": " << step.text << " (after failable call " << actionStarts_.back()
             << ")\n";
        const kvapi::Size viewportBefore = panel_->Viewport();
        const kvapi::Mode modeBefore = panel_->DisplayMode();
        const std::size_t dialogsBefore = panel_->Dialogs().size();
        idleTurns_ = 0;
        for (std::size_t a = IsAnswer(step.kind) ? first : first + 1; a < end; ++a) {
            QueueAnswer(steps[a]);
        }
        bool closed = false;
        if (step.kind == StepKind::Close) {
            CloseBy(step.flag);
            closed = true;
        } else {
            Perform(step);
        }
        panel_->Settle();
        CheckScreenArea(step, viewportBefore, modeBefore, dialogsBefore);
        return closed;
    }

    void Perform(const SessionStep& step)
    {
        switch (step.kind) {
            case StepKind::Drag:
                panel_->DragSlider(step.control, step.number);
                break;
            case StepKind::Depth:
                panel_->SelectDepth(step.number);
                break;
            case StepKind::Apply:
                panel_->Click(PanelControl::Apply);
                break;
            case StepKind::Range:
                panel_->Click(PanelControl::RangeCommand);
                break;
            case StepKind::F1:
                panel_->PressF1Over(step.control);
                break;
            case StepKind::RightClick: {
                const deskhost::PanelRect r = panel_->ScreenRect(step.control);
                panel_->RightClickAt(deskhost::PanelPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
                break;
            }
            case StepKind::Refuse:
                panel_->SetPageRefusesApply(step.flag);
                break;
            case StepKind::DeviceMode:
                panel_->ChangeDeviceMode();
                break;
            default:
                break;
        }
    }

    // The user closes the panel with its own button; the sheet must go by itself.
    void CloseBy(bool ok)
    {
        panel_->Click(ok ? PanelControl::Ok : PanelControl::Cancel);
        panel_->Settle();
        if (panel_->Exists(PanelControl::Ok)) {
            Broke(std::string("the panel did not close with ") + (ok ? "OK" : "Cancel"));
        }
        const deskhost::ClosedPanel closed =
            panel_->Close(ok ? deskhost::CloseBy::Ok : deskhost::CloseBy::Cancel);
        out_ << "closed; extension " << (closed.unloaded ? "unloaded" : "not unloaded") << "\n";
        if (closed.extensionWasLoaded && closed.canUnload != S_OK) {
            Broke("the extension still holds objects that the shell released (DllCanUnloadNow)");
        }
    }

    void CheckScreenArea(const SessionStep& step, const kvapi::Size& before, const kvapi::Mode& modeBefore,
                         std::size_t dialogsBefore)
    {
        const kvapi::Size after = panel_->Viewport();
        const kvapi::Mode mode = panel_->DisplayMode();
        if (after.width > mode.width || after.height > mode.height) {
            Broke("line " + std::to_string(step.line) + ": screen area " + SizeText(after) +
                  " exceeds the desktop " + std::to_string(mode.width) + "x" + std::to_string(mode.height));
        }
        if (after == before) {
            return;
        }
        const bool modeChanged = mode.width != modeBefore.width || mode.height != modeBefore.height ||
                                 mode.depth != modeBefore.depth;
        const std::vector<deskhost::DialogSeen> dialogs = panel_->Dialogs();
        bool confirmed = false;
        for (std::size_t d = dialogsBefore; d < dialogs.size(); ++d) {
            confirmed = confirmed || dialogs[d].result == IDYES;
        }
        if (!modeChanged && !confirmed) {
            Broke("line " + std::to_string(step.line) + ": screen area went from " + SizeText(before) +
                  " to " + SizeText(after) + " without the user confirming it");
        }
    }

    void CheckBackToBaseline(const Counts& before)
    {
        const Counts after = CountLiveObjects();
        // The capability map stays allocated until the process ends, by design.
        const int kept = GetCapabilityMap() != nullptr ? 1 : 0;
        const struct {
            const char* what;
            int before;
            int after;
        } rows[] = {
            {"windows", before.windows, after.windows},
            {"hooks", before.hooks, after.hooks},
            {"timers", before.timers, after.timers},
            {"fonts", before.fonts, after.fonts},
            {"brushes", before.brushes, after.brushes},
            {"bitmaps", before.bitmaps, after.bitmaps},
            {"device contexts", before.dcs, after.dcs},
            {"global memory blocks", before.globalBlocks + kept, after.globalBlocks},
        };
        for (const auto& row : rows) {
            if (row.after != row.before) {
                Broke(std::string("after the panel closed: ") + std::to_string(row.after) + " " + row.what +
                      " live, " + std::to_string(row.before) + " expected");
            }
        }
    }

    void Expect(const SessionStep& step)
    {
        if (!checkExpectations_) {
            return;
        }
        std::string actual;
        std::string expected;
        switch (step.kind) {
            case StepKind::ExpectSlider:
                actual = std::to_string(panel_->Slider(step.control).position);
                expected = std::to_string(step.number);
                break;
            case StepKind::ExpectViewport:
                actual = SizeText(panel_->Viewport());
                expected = SizeText(step.size);
                break;
            case StepKind::ExpectApply:
                actual = panel_->IsEnabled(PanelControl::Apply) ? "enabled" : "disabled";
                expected = step.flag ? "enabled" : "disabled";
                break;
            case StepKind::ExpectBoxes:
                actual = std::to_string(panel_->MessageBoxes().size());
                expected = std::to_string(step.number);
                break;
            default:
                return;
        }
        if (actual != expected) {
            Broke("line " + std::to_string(step.line) + ": " + step.text + ": found " + actual);
        }
    }

    // A loop waits and the script has nothing left: time passes, and now and then the user
    // presses Escape, which answers a box or dialog the way that commits to nothing.
    bool ActForIdleUser()
    {
        if (++idleTurns_ > kIdleTurnLimit) {
            return false;
        }
        if (checkExpectations_) {
            Broke("the clean run needed the user to act beyond the script");
        }
        if (idleTurns_ % kIdleTurnsBeforeEscape == 0) {
            winsim::ScriptPressKey(VK_ESCAPE);
        } else {
            winsim::AdvanceClock(1000);
        }
        return true;
    }

    void Broke(std::string what)
    {
        out_ << "BROKEN: " << what << "\n";
        broken_.push_back(std::move(what));
    }

    const deskhost::Session& session_;
    const deskhost::PlayOptions& options_;
    bool checkExpectations_;
    std::ostream& out_;
    std::unique_ptr<deskhost::PanelHarness> panel_;
    int idleTurns_ = 0;
    std::vector<std::string> broken_;
    std::vector<int> actionStarts_;
};

struct Options {
    deskhost::PlayOptions play;
    std::optional<deskhost::PageLayout> layout;
    std::string scriptPath;
    bool sample = false;
    int only = -1;
};

// One run: the session with failable call `failCall` failing (0: none). Prints its steps when
// `verbose`, else only what broke.
int PlayRun(const deskhost::Session& session, const Options& options, int failCall, bool verbose,
            std::vector<int>* actionStarts = nullptr)
{
    winsim::FailCallNumber(failCall);
    std::ostringstream trace;
    SweepRun run(session, options.play, failCall == 0, trace);
    const bool held = run.Play();
    if (actionStarts != nullptr) {
        *actionStarts = run.ActionStarts();
    }
    if (failCall > 0 && winsim::FailableCallsSoFar() < failCall) {
        std::cout << "run " << failCall << ": the call was never made (the sweep is not deterministic)\n";
        return kRunBroke;
    }
    if (verbose || !held) {
        std::cout << trace.str();
    }
    return held ? kRunHeld : kRunBroke;
}

// Runs `body` in a child process and answers how it ended: its exit status, or 128 + signal.
template <typename Body>
int InChild(Body body)
{
    std::cout.flush();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("kvsweep: fork");
        std::exit(2);
    }
    if (child == 0) {
        const int status = body();
        std::cout.flush();
        std::exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct CallMade {
    int action = 0;  // 0 for the opening, then 1 for the first action and so on
    std::string function;
};

// The clean run, in a child: prints what broke and hands the failable calls back through a
// pipe, one a line ("ACTION FUNCTION"). Empty when the clean run did not hold.
std::optional<std::vector<CallMade>> CleanRun(const deskhost::Session& session, const Options& options)
{
    int ends[2];
    if (pipe(ends) != 0) {
        std::perror("kvsweep: pipe");
        return std::nullopt;
    }
    const int status = InChild([&] {
        close(ends[0]);
        std::vector<int> starts;
        const int result = PlayRun(session, options, 0, false, &starts);
        std::string names;
        for (int n = 1; n <= winsim::FailableCallsSoFar(); ++n) {
            const auto action = std::lower_bound(starts.begin(), starts.end(), n) - starts.begin() - 1;
            names.append(std::to_string(action) + " ").append(winsim::FailableCallName(n)).push_back('\n');
        }
        for (std::size_t written = 0; written < names.size();) {
            const ssize_t now = write(ends[1], names.data() + written, names.size() - written);
            if (now <= 0) {
                break;
            }
            written += static_cast<std::size_t>(now);
        }
        close(ends[1]);
        return result;
    });
    close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    if (status != kRunHeld) {
        std::cout << "the clean run did not hold (status " << status << ")\n";
        return std::nullopt;
    }
    std::vector<CallMade> calls;
    std::istringstream lines(text);
    for (CallMade call; lines >> call.action >> call.function;) {
        calls.push_back(call);
    }
    return calls;
}

// The numbers of the calls to fail: all, or the first of each function in each action.
std::vector<int> CallsToFail(const std::vector<CallMade>& calls, bool sample)
{
    std::vector<int> numbers;
    std::set<std::pair<int, std::string>> seen;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (!sample || seen.insert({calls[i].action, calls[i].function}).second) {
            numbers.push_back(static_cast<int>(i) + 1);
        }
    }
    return numbers;
}

int Sweep(const deskhost::Session& session, const Options& options)
{
    const auto start = std::chrono::steady_clock::now();
    const auto calls = CleanRun(session, options);
    if (!calls) {
        return 1;
    }
    const std::vector<int> numbers = CallsToFail(*calls, options.sample);
    std::cout << options.scriptPath << ": " << calls->size() << " failable calls, " << numbers.size()
              << " runs\n";
    int broken = 0;
    for (const int k : numbers) {
        const int status = InChild([&] { return PlayRun(session, options, k, false); });
        if (status != kRunHeld) {
            ++broken;
            std::cout << "run " << k << " (" << (*calls)[static_cast<std::size_t>(k) - 1].function
                      << " fails): "
                      << (status == kRunBroke ? "broke what must hold"
                                              : "ended with status " + std::to_string(status))
                      << "\n";
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::cout << numbers.size() << " runs, " << broken << " broken, " << elapsed.count() << " s\n";
    return broken == 0 ? 0 : 1;
}

int Usage()
{
    std::cerr << "usage: kvsweep [--layout cloned|native] [--sample] [--run K] SCRIPT\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (argument == "--layout" && (value == "cloned" || value == "native")) {
            options.layout = value == "native" ? deskhost::PageLayout::Native : deskhost::PageLayout::Cloned;
            ++i;
        } else if (argument == "--sample") {
            options.sample = true;
        } else if (argument == "--run" && !value.empty() && std::atoi(value.c_str()) >= 0) {
            options.only = std::atoi(value.c_str());
            ++i;
        } else if (!argument.starts_with("-") && options.scriptPath.empty()) {
            options.scriptPath = argument;
        } else {
            return Usage();
        }
    }
    if (options.scriptPath.empty()) {
        return Usage();
    }
    std::ifstream file(options.scriptPath);
    if (!file) {
        std::cerr << "kvsweep: cannot read " << options.scriptPath << "\n";
        return 2;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    std::optional<deskhost::Session> session = deskhost::ParseSession(text.str(), &error);
    if (!session) {
        std::cerr << options.scriptPath << ": " << error << "\n";
        return 2;
    }
    if (options.layout) {
        session->layout = options.layout;
    }
    std::cout << std::unitbuf;
    if (options.only >= 0) {
        const int status = PlayRun(*session, options, options.only, true);
        std::cout << "run " << options.only << " (" << winsim::FailableCallName(options.only) << " fails, of "
                  << winsim::FailableCallsSoFar()
                  << " failable calls): " << (status == kRunHeld ? "held" : "broke what must hold") << "\n";
        return status;
    }
    return Sweep(*session, options);
}
