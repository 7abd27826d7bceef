// The default adapter and the configuration text.
#include "kvapi/adapter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kvapi {
namespace {

TEST(DefaultConfig, IsAConsistentPanningAdapter)
{
    const AdapterConfig config = DefaultConfig();
    EXPECT_EQ(config.current, (Mode{1024, 768, 16, 75}));
    EXPECT_EQ(config.viewport, (Size{800, 600}));
    EXPECT_NE(std::find(config.modes.begin(), config.modes.end(), config.current), config.modes.end());
    EXPECT_EQ(config.viewports.size(), 18u);  // six desktop sizes at three depths
    for (const ViewportTable& table : config.viewports) {
        EXPECT_EQ(table.sizes.back(), (Size{table.width, table.height}))
            << table.width << "x" << table.height;
        for (const Size& size : table.sizes) {
            EXPECT_LE(size.width, table.width);
            EXPECT_LE(size.height, table.height);
        }
    }
    EXPECT_EQ(config.viewports.back().sizes.size(), 6u);
    EXPECT_LE(config.modes.size(), 256u);
}

AdapterConfig UnusualConfig()
{
    AdapterConfig config = DefaultConfig();
    config.interfaceId = 361;
    config.functionCount = 0;
    config.functions = {};
    config.capabilityBytes = std::vector<std::uint8_t>{0x00, 0xFF, 0x0A};
    config.probeAnswer = 0xFFFFFFFF;
    config.modes = {{0, 480, 8, 0}, {640, 480, 255, 255}};
    config.viewports = {ViewportTable{640, 480, 8, {{640, 480}}, {0x12, 0xFE}},
                        ViewportTable{800, 600, 16, {}, {0, 0}}};
    config.modeCountClaim = 0;
    config.viewportCountClaim = 4000000000u;
    config.current = Mode{640, 480, 8, 60};
    config.viewport = Size{640, 480};
    config.origin = Point{3, 4};
    config.viewportMode = 2;
    config.persisted[{"Default", "KVDrvViewportSize"}] = "vpd0,640,480";
    config.persisted[{"odd \"#\\ section", "name\t="}] = "line\none \x01\xE9";
    config.statusOverride = {{1, 0x8003}, {0xFFFFFFFF, 0}};
    return config;
}

TEST(ConfigText, FormattedConfigParsesBack)
{
    for (const AdapterConfig& config : {DefaultConfig(), UnusualConfig()}) {
        const std::string text = FormatConfig(config);
        std::string error;
        const std::optional<AdapterConfig> parsed = ParseConfig(text, &error);
        ASSERT_TRUE(parsed) << error << "\n" << text;
        EXPECT_EQ(*parsed, config) << text << "\nformats back as\n" << FormatConfig(*parsed);
    }
}

TEST(ConfigText, FormatWritesPaddedHexAndEscapes)
{
    AdapterConfig config = DefaultConfig();
    config.capabilityBytes = std::vector<std::uint8_t>{0x00, 0xFF, 0x0A};
    config.statusOverride = {{1, 0x8003}, {2, 0}, {3, 0x12345678}};
    config.persisted = {{{"s\t", "n\n"}, "\x01\xE9\"\\"}};
    const std::string text = FormatConfig(config);
    for (const char* line : {
             "capability_bytes = 00 FF 0A\n",
             "status_override = 1 0x8003\n",
             "status_override = 2 0x0000\n",
             "status_override = 3 0x12345678\n",
             "persisted = \"s\\x09\" \"n\\x0A\" \"\\x01\\xE9\\\"\\\\\"\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << "expected the line " << line << "in\n" << text;
    }
}

TEST(ConfigText, EmptyListsParseBackEmpty)
{
    AdapterConfig config = DefaultConfig();
    config.modes.clear();
    config.viewports.clear();
    std::string error;
    const std::optional<AdapterConfig> parsed = ParseConfig(FormatConfig(config), &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_TRUE(parsed->modes.empty());
    EXPECT_TRUE(parsed->viewports.empty());
}

TEST(ConfigText, UnsetKeysKeepTheDefaultAndListsReplaceIt)
{
    const std::string text =
        "# a driver that fails to set the size\r\n"
        "\r\n"
        "STATUS_OVERRIDE = 11 0x8001   # any size\r\n"
        "mode = 800x600x8@60\n"
        "mode = 640x480x8@60\n"
        "persisted = \"Default\" \"a#b\" \"x # y\"\n";
    std::string error;
    const std::optional<AdapterConfig> config = ParseConfig(text, &error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->statusOverride, (std::map<std::uint32_t, std::uint32_t>{{11, 0x8001}}));
    EXPECT_EQ(config->modes, (std::vector<Mode>{{800, 600, 8, 60}, {640, 480, 8, 60}}));
    EXPECT_EQ(config->persisted.at({"Default", "a#b"}), "x # y");
    EXPECT_EQ(config->viewports, DefaultConfig().viewports);
    EXPECT_EQ(config->current, DefaultConfig().current);
}

TEST(ConfigText, ErrorsNameTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"colour = 5\n", "line 1: unknown key 'colour'"},
        {"# ok\nviewport 800x600\n", "line 2: expected 'key = value', found 'viewport 800x600'"},
        {"interface_id = 1\ninterface_id = 2\n", "line 2: 'interface_id' is given twice"},
        {"\n\nmode = 640x480x256@60\n",
         "line 3: mode: expected a mode WIDTHxHEIGHTxDEPTH@RATE, found '256@60'"},
        {"mode = 640x480x8\n", "line 1: mode: expected a mode WIDTHxHEIGHTxDEPTH@RATE, found end of line"},
        {"function_count = 4294967296\n",
         "line 1: function_count: expected a number from 0 to 4294967295, "
         "found '4294967296'"},
        {"origin = 1,2,3\n", "line 1: origin: unexpected ',3'"},
        {"persisted = \"Default\" \"a\" \"open\n",
         "line 1: persisted: expected three quoted strings: section, value name, value text, found end of "
         "line"},
        {"viewport_table = 640x480x8 640x480\n",
         "line 1: viewport_table: expected ':' after the desktop, found '640x480'"},
        {"capability_bytes = 1FF\n",
         "line 1: capability_bytes: expected hexadecimal bytes (00 to FF), found '1FF'"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseConfig(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace kvapi
