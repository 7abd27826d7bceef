#include "help_source.h"

#include <charconv>
#include <string>
#include <vector>

namespace hlp {

namespace {

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits off the first word; returns it and leaves the rest, trimmed, in `text`.
std::string_view NextWord(std::string_view& text)
{
    const auto end = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : Trim(text.substr(end));
    return word;
}

class SourceParser {
public:
    HelpDocument Parse(std::string_view source)
    {
        std::size_t start = 0;
        while (start <= source.size()) {
            const auto end = source.find('\n', start);
            const std::string_view line =
                source.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            ++lineNumber_;
            ParseLine(Trim(line));
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
        EndParagraph();
        EndTopic();
        if (document_.title.empty()) {
            throw HelpFormatError("the help file has no .title");
        }
        if (document_.topics.empty()) {
            throw HelpFormatError("the help file has no .topic");
        }
        return std::move(document_);
    }

private:
    [[noreturn]] void Fail(const std::string& message, int line = 0) const
    {
        throw HelpFormatError("line " + std::to_string(line != 0 ? line : lineNumber_) + ": " + message);
    }

    void ParseLine(std::string_view line)
    {
        if (line.empty()) {
            EndParagraph();
        } else if (line.front() == '#') {
            return;
        } else if (line.front() == '.') {
            EndParagraph();
            ParseDirective(line);
        } else {
            if (!inTopic_) {
                Fail("text before the first .topic");
            }
            if (paragraphText_.empty()) {
                paragraphLine_ = lineNumber_;
            } else {
                paragraphText_ += ' ';
            }
            paragraphText_ += line;
        }
    }

    void ParseDirective(std::string_view line)
    {
        std::string_view rest = line;
        const std::string_view directive = NextWord(rest);
        if (directive == ".topic") {
            StartTopic(rest);
        } else if (directive == ".title") {
            if (rest.empty()) {
                Fail(".title needs a text");
            }
            std::string& title = inTopic_ ? topic_.title : document_.title;
            if (!title.empty()) {
                Fail("a second .title");
            }
            title = rest;
        } else if (directive == ".copyright" && !inTopic_) {
            document_.copyright = rest;
        } else {
            Fail("unknown directive " + std::string(directive));
        }
    }

    void StartTopic(std::string_view rest)
    {
        EndTopic();
        const std::string_view name = NextWord(rest);
        if (!IsValidContextName(name)) {
            Fail(".topic needs a context name of letters, digits, '.' and '_'");
        }
        topic_ = Topic{};
        topic_.contextName = name;
        if (!rest.empty()) {
            std::uint32_t number = 0;
            const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
            if (error != std::errc{} || end != rest.data() + rest.size()) {
                Fail("the context number must be a decimal number");
            }
            topic_.contextNumber = number;
        }
        inTopic_ = true;
        topicLine_ = lineNumber_;
    }

    void EndTopic()
    {
        if (!inTopic_) {
            return;
        }
        if (topic_.title.empty()) {
            Fail("topic " + topic_.contextName + " has no .title", topicLine_);
        }
        Paragraph heading{ParagraphStyle::kHeading, {Span{topic_.title, std::nullopt}}};
        topic_.paragraphs.insert(topic_.paragraphs.begin(), std::move(heading));
        document_.topics.push_back(std::move(topic_));
        inTopic_ = false;
    }

    void EndParagraph()
    {
        if (paragraphText_.empty()) {
            return;
        }
        topic_.paragraphs.push_back(Paragraph{ParagraphStyle::kBody, ParseSpans(paragraphText_)});
        paragraphText_.clear();
    }

    // Plain text with {context|text} jumps; errors name the paragraph's first line.
    std::vector<Span> ParseSpans(std::string_view text) const
    {
        std::vector<Span> spans;
        while (!text.empty()) {
            const auto open = text.find('{');
            const auto stray = text.substr(0, open).find('}');
            if (stray != std::string_view::npos) {
                Fail("'}' without '{'", paragraphLine_);
            }
            if (open != 0) {
                spans.push_back(Span{std::string(text.substr(0, open)), std::nullopt});
            }
            if (open == std::string_view::npos) {
                break;
            }
            const auto close = text.find('}', open);
            if (close == std::string_view::npos) {
                Fail("'{' without '}'", paragraphLine_);
            }
            const std::string_view jump = text.substr(open + 1, close - open - 1);
            const auto bar = jump.find('|');
            if (bar == std::string_view::npos || jump.substr(bar + 1).empty() ||
                jump.find_first_of("{|", bar + 1) != std::string_view::npos) {
                Fail("a jump is written {context_name|text}", paragraphLine_);
            }
            spans.push_back(Span{std::string(jump.substr(bar + 1)), std::string(jump.substr(0, bar))});
            text.remove_prefix(close + 1);
        }
        return spans;
    }

    HelpDocument document_;
    Topic topic_;
    bool inTopic_ = false;
    std::string paragraphText_;
    int paragraphLine_ = 0;
    int topicLine_ = 0;
    int lineNumber_ = 0;
};

}  // namespace

HelpDocument ParseHelpSource(std::string_view source)
{
    return SourceParser{}.Parse(source);
}

}  // namespace hlp
