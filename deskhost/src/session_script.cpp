// The session script: one step a line, words separated by blanks, '#' to the end of a line
// a comment.
#include "deskhost/session.h"

#include <charconv>
#include <map>
#include <sstream>

namespace deskhost {
namespace {

const std::map<std::string, PanelControl, std::less<>> kControls = {
    {"screen-slider", PanelControl::ScreenSlider},   {"screen-label", PanelControl::ScreenLabel},
    {"desktop-slider", PanelControl::DesktopSlider}, {"desktop-label", PanelControl::DesktopLabel},
    {"depth-combo", PanelControl::DepthCombo},       {"preview", PanelControl::Preview},
    {"help-area", PanelControl::HelpArea},
};

std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::optional<int> Number(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<kvapi::Size> SizeOf(std::string_view text)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = Number(text.substr(0, x));
    const auto height = Number(text.substr(x + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return kvapi::Size{static_cast<std::uint32_t>(*width), static_cast<std::uint32_t>(*height)};
}

// Reads one line's words into a step; an error text when they do not make one.
class LineReader {
public:
    LineReader(std::vector<std::string> words, SessionStep& step) : words_(std::move(words)), step_(step) {}

    std::string Read()
    {
        const std::string& verb = words_[0];
        if (verb == "open") {
            return Choice(StepKind::Open, "cloned", "native");
        }
        if (verb == "drag") {
            return Slider(StepKind::Drag);
        }
        if (verb == "depth") {
            return Counted(StepKind::Depth, "an item number");
        }
        if (verb == "apply" || verb == "devmode" || verb == "range") {
            step_.kind = verb == "apply"     ? StepKind::Apply
                         : verb == "devmode" ? StepKind::DeviceMode
                                             : StepKind::Range;
            return Arguments(0);
        }
        if (verb == "close") {
            return Choice(StepKind::Close, "cancel", "ok");
        }
        if (verb == "f1" || verb == "rightclick") {
            return Control(verb == "f1" ? StepKind::F1 : StepKind::RightClick);
        }
        if (verb == "refuse") {
            return Choice(StepKind::Refuse, "off", "on");
        }
        if (verb == "answer") {
            return Answer();
        }
        if (verb == "confirm") {
            return Choice(StepKind::Confirm, "no", "yes");
        }
        if (verb == "wait") {
            return Counted(StepKind::Wait, "a number of milliseconds");
        }
        if (verb == "expect") {
            return Expectation();
        }
        return "unknown step \"" + verb + "\"";
    }

private:
    std::string Arguments(std::size_t count) const
    {
        if (words_.size() != count + 1) {
            return "\"" + words_[0] + "\" takes " + std::to_string(count) + " argument" +
                   (count == 1 ? "" : "s") + ", not " + std::to_string(words_.size() - 1);
        }
        return {};
    }

    std::string Choice(StepKind kind, std::string_view no, std::string_view yes)
    {
        step_.kind = kind;
        if (std::string error = Arguments(1); !error.empty()) {
            return error;
        }
        if (words_[1] != no && words_[1] != yes) {
            return "\"" + words_[0] + "\" takes " + std::string(no) + " or " + std::string(yes) + ", not \"" +
                   words_[1] + "\"";
        }
        step_.flag = words_[1] == yes;
        return {};
    }

    std::string Counted(StepKind kind, std::string_view what)
    {
        step_.kind = kind;
        if (std::string error = Arguments(1); !error.empty()) {
            return error;
        }
        const auto number = Number(words_[1]);
        if (!number) {
            return "\"" + words_[0] + "\" takes " + std::string(what) + ", not \"" + words_[1] + "\"";
        }
        step_.number = *number;
        return {};
    }

    std::string Slider(StepKind kind)
    {
        step_.kind = kind;
        if (std::string error = Arguments(2); !error.empty()) {
            return error;
        }
        if (words_[1] != "screen" && words_[1] != "desktop") {
            return "\"" + words_[0] + "\" names the screen or the desktop slider, not \"" + words_[1] + "\"";
        }
        step_.control = words_[1] == "screen" ? PanelControl::ScreenSlider : PanelControl::DesktopSlider;
        const auto position = Number(words_[2]);
        if (!position) {
            return "a slider position is a number, not \"" + words_[2] + "\"";
        }
        step_.number = *position;
        return {};
    }

    std::string Control(StepKind kind)
    {
        step_.kind = kind;
        if (std::string error = Arguments(1); !error.empty()) {
            return error;
        }
        const auto found = kControls.find(words_[1]);
        if (found == kControls.end()) {
            return "unknown control \"" + words_[1] + "\"";
        }
        step_.control = found->second;
        return {};
    }

    std::string Answer()
    {
        step_.kind = StepKind::Answer;
        if (std::string error = Arguments(1); !error.empty()) {
            return error;
        }
        const std::map<std::string, int, std::less<>> buttons = {
            {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
        const auto found = buttons.find(words_[1]);
        if (found == buttons.end()) {
            return "a message box is answered with ok, cancel, yes or no, not \"" + words_[1] + "\"";
        }
        step_.number = found->second;
        return {};
    }

    std::string Expectation()
    {
        if (words_.size() != 3) {
            return "\"expect\" takes what and its value";
        }
        const std::string& what = words_[1];
        const std::string& value = words_[2];
        if (what == "screen" || what == "desktop") {
            step_.kind = StepKind::ExpectSlider;
            step_.control = what == "screen" ? PanelControl::ScreenSlider : PanelControl::DesktopSlider;
            const auto position = Number(value);
            if (!position) {
                return "a slider position is a number, not \"" + value + "\"";
            }
            step_.number = *position;
            return {};
        }
        if (what == "viewport") {
            step_.kind = StepKind::ExpectViewport;
            const auto size = SizeOf(value);
            if (!size) {
                return "a screen area is written WIDTHxHEIGHT, not \"" + value + "\"";
            }
            step_.size = *size;
            return {};
        }
        if (what == "apply") {
            step_.kind = StepKind::ExpectApply;
            if (value != "enabled" && value != "disabled") {
                return "Apply is enabled or disabled, not \"" + value + "\"";
            }
            step_.flag = value == "enabled";
            return {};
        }
        if (what == "boxes") {
            step_.kind = StepKind::ExpectBoxes;
            const auto count = Number(value);
            if (!count) {
                return "a count of boxes is a number, not \"" + value + "\"";
            }
            step_.number = *count;
            return {};
        }
        return "nothing called \"" + what + "\" can be expected";
    }

    std::vector<std::string> words_;
    SessionStep& step_;
};

// What separates words: a line of nothing else is blank, however it was typed.
bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view WithoutComment(std::string_view line)
{
    const auto hash = line.find('#');
    line = line.substr(0, hash);
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    return line;
}

std::optional<std::string> Field(std::string_view text, std::string_view key)
{
    const auto at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(at + key.size());
    return std::string(rest.substr(0, rest.find(' ')));
}

std::string Unquoted(std::string text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace

std::optional<Session> ParseSession(std::string_view text, std::string* error)
{
    Session session;
    int number = 0;
    std::istringstream in{std::string(text)};
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string_view line = WithoutComment(raw);
        if (line.empty()) {
            continue;
        }
        SessionStep step;
        step.line = number;
        step.text = std::string(line);
        const std::string problem = LineReader(Words(line), step).Read();
        if (problem.empty() && step.kind == StepKind::Open && (!session.steps.empty() || session.layout)) {
            *error = "line " + std::to_string(number) + ": \"open\" comes first, and only once";
            return std::nullopt;
        }
        if (!problem.empty()) {
            *error = "line " + std::to_string(number) + ": " + problem;
            return std::nullopt;
        }
        if (step.kind == StepKind::Open) {
            session.layout = step.flag ? PageLayout::Native : PageLayout::Cloned;
            continue;
        }
        session.steps.push_back(std::move(step));
    }
    return session;
}

std::string DescribeDriverChange(std::string_view request)
{
    if (request.starts_with("PersistValue")) {
        // PersistValue SIZE "SECTION" "NAME" "TEXT" -> STATUS; a cleared value is null.
        const auto arrow = request.rfind(" -> ");
        const std::string_view head = request.substr(0, arrow);
        const auto last = head.rfind(' ');
        const std::string value = Unquoted(std::string(head.substr(last + 1)));
        return value == "null" ? "clear persisted" : "persist " + value;
    }
    const auto function = Field(request, "fn=");
    if (!function) {
        return {};
    }
    // The payload follows the status word.
    const auto status = request.find("status=");
    const std::string_view after =
        status == std::string_view::npos ? std::string_view{} : request.substr(status);
    const auto blank = after.find(' ');
    const std::string payload = blank == std::string_view::npos ? "" : std::string(after.substr(blank + 1));
    if (*function == "11") {
        std::string size = payload;
        if (const auto comma = size.find(','); comma != std::string::npos) {
            size[comma] = 'x';
        }
        return "set size " + size;
    }
    if (*function == "9") {
        return "set origin " + payload;
    }
    if (*function == "28") {
        return "set mode " + payload.substr(payload.find('=') + 1);
    }
    return {};
}

std::vector<std::string> DriverChanges(const std::vector<std::string>& requests)
{
    std::vector<std::string> changes;
    for (const std::string& request : requests) {
        if (std::string change = DescribeDriverChange(request); !change.empty()) {
            changes.push_back(std::move(change));
        }
    }
    return changes;
}

}  // namespace deskhost
