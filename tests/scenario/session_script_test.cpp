// Session scripts: what they say, the errors that name their line, the readable driver
// requests, and the shipped default session played to its end with every expectation held.
#include "scenario_fixture.h"

#include <fstream>
#include <sstream>

namespace scenario {
namespace {

using deskhost::StepKind;

std::string ErrorOf(std::string_view text)
{
    std::string error;
    EXPECT_FALSE(deskhost::ParseSession(text, &error).has_value()) << text;
    return error;
}

TEST(SessionScript, ReadsActionsAnswersAndExpectationsWithCommentsAndIndentation)
{
    std::string error;
    const auto session = deskhost::ParseSession(
        "# a session\n"
        "open native\n"
        "\n"
        "drag screen 2   # smaller\n"
        "apply\n"
        "  answer cancel\n"
        "\tconfirm yes\n"
        "wait 5000\n"
        "f1 help-area\n"
        "expect viewport 800x600\n"
        "close ok\n",
        &error);
    ASSERT_TRUE(session.has_value()) << error;
    EXPECT_EQ(session->layout, PageLayout::Native);
    ASSERT_EQ(session->steps.size(), 8u);
    const auto& s = session->steps;
    EXPECT_EQ(s[0].kind, StepKind::Drag);
    EXPECT_EQ(s[0].control, PanelControl::ScreenSlider);
    EXPECT_EQ(s[0].number, 2);
    EXPECT_EQ(s[0].line, 4);
    EXPECT_EQ(s[0].text, "drag screen 2");
    EXPECT_EQ(s[2].kind, StepKind::Answer);
    EXPECT_EQ(s[2].number, IDCANCEL);
    EXPECT_EQ(s[3].kind, StepKind::Confirm);
    EXPECT_TRUE(s[3].flag);
    EXPECT_EQ(s[4].number, 5000);
    EXPECT_EQ(s[5].control, PanelControl::HelpArea);
    EXPECT_EQ((s[6].size), (kvapi::Size{800, 600}));
    EXPECT_EQ(s[7].kind, StepKind::Close);
    EXPECT_TRUE(s[7].flag);
}

TEST(SessionScript, ALineOfBlanksOfAnyKindIsBlank)
{
    std::string error;
    const auto session = deskhost::ParseSession("open cloned\n\v\f \r\n\t\v\napply\n", &error);
    ASSERT_TRUE(session.has_value()) << error;
    ASSERT_EQ(session->steps.size(), 1u);
    EXPECT_EQ(session->steps[0].kind, StepKind::Apply);
    EXPECT_EQ(session->steps[0].line, 4);
}

TEST(SessionScript, ErrorsNameTheLineAndTheFault)
{
    EXPECT_EQ(ErrorOf("drag screen 1\nspin 3\n"), "line 2: unknown step \"spin\"");
    EXPECT_EQ(ErrorOf("\n\ndrag sideways 1"),
              "line 3: \"drag\" names the screen or the desktop slider, not \"sideways\"");
    EXPECT_EQ(ErrorOf("drag screen -1"), "line 1: a slider position is a number, not \"-1\"");
    EXPECT_EQ(ErrorOf("drag screen 1x"), "line 1: a slider position is a number, not \"1x\"");
    EXPECT_EQ(ErrorOf("apply now"), "line 1: \"apply\" takes 0 arguments, not 1");
    EXPECT_EQ(ErrorOf("answer maybe"),
              "line 1: a message box is answered with ok, cancel, yes or no, not \"maybe\"");
    EXPECT_EQ(ErrorOf("wait"), "line 1: \"wait\" takes 1 argument, not 0");
    EXPECT_EQ(ErrorOf("f1 mouse"), "line 1: unknown control \"mouse\"");
    EXPECT_EQ(ErrorOf("expect viewport 800"), "line 1: a screen area is written WIDTHxHEIGHT, not \"800\"");
    EXPECT_EQ(ErrorOf("expect colour red"), "line 1: nothing called \"colour\" can be expected");
    EXPECT_EQ(ErrorOf("close maybe"), "line 1: \"close\" takes cancel or ok, not \"maybe\"");
    EXPECT_EQ(ErrorOf("apply\nopen cloned"), "line 2: \"open\" comes first, and only once");
    EXPECT_EQ(ErrorOf("drag screen 99999999999"),
              "line 1: a slider position is a number, not \"99999999999\"");
}

TEST(SessionScript, DriverRequestsReadAsTheChangesTheyMake)
{
    EXPECT_EQ(deskhost::DescribeDriverChange("Request 20 fn=11 tag=\"vpd0\" status=0x8000 640,480"),
              "set size 640x480");
    EXPECT_EQ(deskhost::DescribeDriverChange("Request 20 fn=9 tag=\"vpd0\" status=0x8000 0,0"),
              "set origin 0,0");
    EXPECT_EQ(deskhost::DescribeDriverChange("Request 16 fn=28 tag=\"vmp0\" status=0x8000 value=0"),
              "set mode 0");
    EXPECT_EQ(deskhost::DescribeDriverChange(
                  "PersistValue 12 \"Default\" \"KVDrvViewportSize\" \"vpd0,640,480\" -> 0x8000"),
              "persist vpd0,640,480");
    EXPECT_EQ(
        deskhost::DescribeDriverChange("PersistValue 12 \"Default\" \"KVDrvViewportSize\" null -> 0x8000"),
        "clear persisted");
    EXPECT_EQ(deskhost::DescribeDriverChange("Request 20 fn=10 tag=\"vpd0\" status=0x8000 800,600"), "");
    EXPECT_EQ(deskhost::DescribeDriverChange("Probe -> 1"), "");
    EXPECT_EQ(deskhost::DescribeDriverChange(""), "");
}

// Plays a shipped session on a panel of its own and gives what it told.
std::string PlayShipped(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    const auto session = deskhost::ParseSession(text.str(), &error);
    EXPECT_TRUE(session.has_value()) << path << ": " << error;
    if (!session) {
        return {};
    }
    auto panel = deskhost::MakePanelHarness();
    std::ostringstream out;
    EXPECT_EQ(deskhost::PlaySession(*panel, *session, deskhost::PlayOptions{}, out), 0) << out.str();
    const std::string shown = out.str();
    EXPECT_NE(shown.find("dialog \"Screen Area\" ended Yes"), std::string::npos) << shown;
    EXPECT_NE(shown.find("help "), std::string::npos) << shown;
    EXPECT_NE(shown.find("DllCanUnloadNow: S_OK, unloaded"), std::string::npos) << shown;
    return shown;
}

TEST(SessionScript, TheDefaultSessionPlaysToItsEndWithEveryExpectationHeld)
{
    const std::string shown = PlayShipped(KV_DEFAULT_SESSION);
    EXPECT_NE(shown.find("driver: set size 1152x864\n  driver: clear persisted"), std::string::npos) << shown;
    EXPECT_NE(shown.find("driver: persist"), std::string::npos)
        << "the new depth keeps the screen area for later";
}

TEST(SessionScript, TheNativeSessionPlaysToItsEndWithEveryExpectationHeld)
{
    const std::string shown = PlayShipped(KV_NATIVE_SESSION);
    EXPECT_EQ(shown.find("driver: persist"), std::string::npos)
        << "the new depth's screen area is tested at once";
    EXPECT_NE(shown.find("viewport 640x480: holds"), std::string::npos) << shown;
}

}  // namespace
}  // namespace scenario
