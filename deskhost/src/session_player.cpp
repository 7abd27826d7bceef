// Plays a session script through a PanelHarness: each action with the answers written under
// it, then what the user sees and what the driver was asked to change.
#include "deskhost/session.h"

#include <cstdio>
#include <filesystem>

namespace deskhost {
namespace {

const char* ButtonName(int button)
{
    switch (button) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return "no answer";
    }
}

std::string OneLine(std::string text)
{
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, " ");
    }
    for (std::size_t at = text.find("  "); at != std::string::npos; at = text.find("  ", at)) {
        text.erase(at, 1);
    }
    return text;
}

std::string SizeText(const kvapi::Size& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

bool IsAnswer(StepKind kind)
{
    return kind == StepKind::Answer || kind == StepKind::Confirm || kind == StepKind::Wait;
}

class Player {
public:
    Player(PanelHarness& panel, const PlayOptions& options, std::ostream& out)
        : panel_(panel), options_(options), out_(out)
    {
    }

    int Play(const Session& session)
    {
        PanelOptions panelOptions = options_.panel;
        if (session.layout) {
            panelOptions.layout = *session.layout;
        }
        out_ << "open the panel (" << (panelOptions.layout == PageLayout::Native ? "native" : "cloned")
             << " layout)\n";
        if (!panel_.Open(panelOptions)) {
            out_ << "  the panel could not be opened\n";
            return -1;
        }
        if (!panel_.ExtensionLoaded()) {
            out_ << "  the display extension refused to load\n";
        }
        Report(0);
        const std::vector<SessionStep>& steps = session.steps;
        for (std::size_t i = 0; i < steps.size() && open_; ++i) {
            const SessionStep& step = steps[i];
            if (IsAnswer(step.kind)) {
                // Answers standing alone: the user acts after the last action.
                out_ << "line " << step.line << ": " << step.text << "\n";
                Queue(step);
                panel_.Settle();
                Report(step.line);
                continue;
            }
            std::size_t next = i + 1;
            for (; next < steps.size() && IsAnswer(steps[next].kind); ++next) {
                Queue(steps[next]);
            }
            if (!IsExpectation(step.kind)) {
                out_ << "line " << step.line << ": " << step.text << "\n";
            }
            for (std::size_t a = i + 1; a < next; ++a) {
                out_ << "  then " << steps[a].text << "\n";
            }
            Perform(step);
            i = next - 1;
            if (open_ && !IsExpectation(step.kind)) {
                Report(step.line);
            }
        }
        if (open_) {
            out_ << "close the panel with Cancel\n";
            Close(false);
        }
        out_ << (failures_ == 0 ? "all expectations held\n"
                                : std::to_string(failures_) + " expectation(s) failed\n");
        return failures_;
    }

private:
    static bool IsExpectation(StepKind kind)
    {
        return kind == StepKind::ExpectSlider || kind == StepKind::ExpectViewport ||
               kind == StepKind::ExpectApply || kind == StepKind::ExpectBoxes;
    }

    void Queue(const SessionStep& step)
    {
        switch (step.kind) {
            case StepKind::Answer:
                panel_.AnswerNextMessageBox(step.number);
                break;
            case StepKind::Confirm:
                panel_.AnswerConfirmDialog(step.flag);
                break;
            case StepKind::Wait:
                panel_.LetTimePass(static_cast<unsigned>(step.number));
                break;
            default:
                break;
        }
    }

    void Perform(const SessionStep& step)
    {
        bool done = true;
        switch (step.kind) {
            case StepKind::Drag:
                done = panel_.DragSlider(step.control, step.number);
                break;
            case StepKind::Depth:
                done = panel_.SelectDepth(step.number);
                break;
            case StepKind::Apply:
                done = panel_.Click(PanelControl::Apply);
                break;
            case StepKind::Range:
                done = panel_.Click(PanelControl::RangeCommand);
                break;
            case StepKind::F1:
                panel_.PressF1Over(step.control);
                break;
            case StepKind::RightClick: {
                const PanelRect r = panel_.ScreenRect(step.control);
                panel_.RightClickAt(PanelPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
                break;
            }
            case StepKind::Refuse:
                panel_.SetPageRefusesApply(step.flag);
                break;
            case StepKind::DeviceMode:
                panel_.ChangeDeviceMode();
                break;
            case StepKind::Close:
                Close(step.flag);
                return;
            default:
                Check(step);
                return;
        }
        if (!done) {
            out_ << "  (the control cannot take this: it is missing, hidden or disabled)\n";
            panel_.Settle();
        }
    }

    void Close(bool ok)
    {
        const ClosedPanel closed = panel_.Close(ok ? CloseBy::Ok : CloseBy::Cancel);
        open_ = false;
        ReportBoxesAndHelp();
        ReportDriver();
        out_ << "  the panel closed; pages added by the extension: " << closed.pagesAdded << "\n";
        if (closed.extensionWasLoaded) {
            out_ << "  DllCanUnloadNow: " << (closed.canUnload == 0 ? "S_OK" : "S_FALSE or an error") << ", "
                 << (closed.unloaded ? "unloaded" : "still loaded") << "\n";
        }
        out_ << "  screen area in force " << SizeText(panel_.Viewport()) << "\n";
    }

    void Check(const SessionStep& step)
    {
        std::string actual;
        std::string expected;
        switch (step.kind) {
            case StepKind::ExpectSlider:
                actual = std::to_string(panel_.Slider(step.control).position);
                expected = std::to_string(step.number);
                break;
            case StepKind::ExpectViewport:
                actual = SizeText(panel_.Viewport());
                expected = SizeText(step.size);
                break;
            case StepKind::ExpectApply:
                actual = panel_.IsEnabled(PanelControl::Apply) ? "enabled" : "disabled";
                expected = step.flag ? "enabled" : "disabled";
                break;
            case StepKind::ExpectBoxes:
                actual = std::to_string(panel_.MessageBoxes().size());
                expected = std::to_string(step.number);
                break;
            default:
                return;
        }
        if (actual == expected) {
            out_ << "line " << step.line << ": " << step.text << ": holds\n";
            return;
        }
        ++failures_;
        out_ << "line " << step.line << ": " << step.text << ": FAILED, found " << actual << "\n";
    }

    void Report(int line)
    {
        ReportBoxesAndHelp();
        const SliderState desktop = panel_.Slider(PanelControl::DesktopSlider);
        out_ << "  desktop slider " << desktop.position << " of " << desktop.minimum << ".."
             << desktop.maximum << "  \"" << panel_.Text(PanelControl::DesktopLabel) << "\"\n";
        if (panel_.IsVisible(PanelControl::ScreenSlider)) {
            const SliderState screen = panel_.Slider(PanelControl::ScreenSlider);
            out_ << "  screen slider  " << screen.position << " of " << screen.minimum << ".."
                 << screen.maximum << "  \"" << panel_.Text(PanelControl::ScreenLabel) << "\"\n";
        } else {
            out_ << "  no screen-area slider\n";
        }
        const std::vector<std::string> depths = panel_.DepthItems();
        const int depth = panel_.DepthItem();
        out_ << "  colours: item " << depth;
        if (depth >= 0 && static_cast<std::size_t>(depth) < depths.size()) {
            out_ << " \"" << depths[static_cast<std::size_t>(depth)] << "\"";
        }
        out_ << "; Apply " << (panel_.IsEnabled(PanelControl::Apply) ? "enabled" : "disabled") << "\n";
        const kvapi::Mode mode = panel_.DisplayMode();
        out_ << "  display " << mode.width << "x" << mode.height << " at " << unsigned{mode.depth}
             << " bits; screen area in force " << SizeText(panel_.Viewport()) << "\n";
        ReportDriver();
        SavePicture(line);
    }

    void ReportBoxesAndHelp()
    {
        const std::vector<MessageBoxSeen> boxes = panel_.MessageBoxes();
        for (; boxesSeen_ < boxes.size(); ++boxesSeen_) {
            const MessageBoxSeen& box = boxes[boxesSeen_];
            out_ << "  box \"" << box.caption << "\": " << OneLine(box.text) << "\n"
                 << "    answered " << ButtonName(box.answer) << "\n";
        }
        const std::vector<DialogSeen> dialogs = panel_.Dialogs();
        for (; dialogsSeen_ < dialogs.size(); ++dialogsSeen_) {
            const DialogSeen& dialog = dialogs[dialogsSeen_];
            out_ << "  dialog \"" << dialog.caption << "\" ended " << ButtonName(dialog.result) << "\n";
        }
        const std::vector<HelpCall> help = panel_.HelpCalls();
        for (; helpSeen_ < help.size(); ++helpSeen_) {
            const HelpCall& call = help[helpSeen_];
            out_ << "  help " << call.path << " command " << call.command;
            if (!call.helpIds.empty()) {
                out_ << ", context " << call.helpIds.front().second << " for " << call.helpIds.size()
                     << " controls";
            }
            out_ << "\n";
        }
    }

    void ReportDriver()
    {
        const std::vector<std::string> changes = DriverChanges(panel_.DriverRequests());
        for (const std::string& change : changes) {
            out_ << "  driver: " << change << "\n";
        }
        panel_.ClearDriverRequests();
    }

    void SavePicture(int line)
    {
        if (options_.pngDirectory.empty()) {
            return;
        }
        char name[32];
        std::snprintf(name, sizeof name, "step%03d-line%03d.png", ++pictures_, line);
        const std::string path = (std::filesystem::path(options_.pngDirectory) / name).string();
        if (panel_.SavePreviewPng(path)) {
            out_ << "  preview " << path << "\n";
        } else {
            out_ << "  no preview picture\n";
        }
    }

    PanelHarness& panel_;
    const PlayOptions& options_;
    std::ostream& out_;
    bool open_ = true;
    int failures_ = 0;
    int pictures_ = 0;
    std::size_t boxesSeen_ = 0;
    std::size_t helpSeen_ = 0;
    std::size_t dialogsSeen_ = 0;
};

}  // namespace

int PlaySession(PanelHarness& panel, const Session& session, const PlayOptions& options, std::ostream& out)
{
    return Player(panel, options, out).Play(session);
}

}  // namespace deskhost
