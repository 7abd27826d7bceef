// make_hlp: compiles the help source into a Windows Help file.
//
// Usage: make_hlp SOURCE.txt OUTPUT.HLP
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "help_source.h"
#include "hlp_writer.h"

namespace {

std::string ReadText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw hlp::HelpFormatError(std::string("cannot read ") + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const char* path, const hlp::Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw hlp::HelpFormatError(std::string("cannot write ") + path);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_hlp SOURCE OUTPUT.HLP\n");
        return 2;
    }
    try {
        const hlp::HelpDocument document = hlp::ParseHelpSource(ReadText(argv[1]));
        WriteBytes(argv[2], hlp::BuildHelpFile(document));
    } catch (const hlp::HelpFormatError& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
