// kvsession: opens the stand-in Display control panel on winsim with the default adapter,
// plays a session script and prints what the user sees at each step and what the driver
// was asked to change; with --png-dir, a picture of the preview after each step. Built for
// Windows, --installed plays against the extension as an installation registered it.
#include "deskhost/session.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// The shipped session for a page with a screen-area row of its own, beside the default one.
std::string NativeSession()
{
    const std::string defaultSession = KV_DEFAULT_SESSION;
    return defaultSession.substr(0, defaultSession.find_last_of("/\\") + 1) + "native.session";
}

int Usage()
{
    std::cerr << "usage: kvsession [--layout cloned|native] [--png-dir DIR] [--installed] [SCRIPT]\n"
              << "  SCRIPT defaults to " << KV_DEFAULT_SESSION << ",\n"
              << "  or with --layout native to " << NativeSession() << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    deskhost::PlayOptions options;
    std::string scriptPath;
    bool layoutGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (argument == "--layout" && (value == "cloned" || value == "native")) {
            options.panel.layout =
                value == "native" ? deskhost::PageLayout::Native : deskhost::PageLayout::Cloned;
            layoutGiven = true;
            ++i;
        } else if (argument == "--png-dir" && !value.empty()) {
            options.pngDirectory = value;
            ++i;
        } else if (argument == "--installed") {
            options.panel.installed = true;
        } else if (!argument.starts_with("-")) {
            scriptPath = argument;
        } else {
            return Usage();
        }
    }

    if (scriptPath.empty()) {
        scriptPath = layoutGiven && options.panel.layout == deskhost::PageLayout::Native ? NativeSession()
                                                                                         : KV_DEFAULT_SESSION;
    }
    std::ifstream file(scriptPath);
    if (!file) {
        std::cerr << "kvsession: cannot read " << scriptPath << "\n";
        return 1;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    std::optional<deskhost::Session> session = deskhost::ParseSession(text.str(), &error);
    if (!session) {
        std::cerr << scriptPath << ": " << error << "\n";
        return 1;
    }
    if (layoutGiven) {
        session->layout = options.panel.layout;
    }
    if (!options.pngDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(options.pngDirectory, ignored);
    }

    std::cout << std::unitbuf << "session " << scriptPath << "\n";
    auto panel = deskhost::MakePanelHarness();
    const int failures = deskhost::PlaySession(*panel, *session, options, std::cout);
    return failures == 0 ? 0 : 1;
}
