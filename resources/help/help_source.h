// The help text's source form, a few directives around plain paragraphs:
//
//   # a comment
//   .title Help file title          (before the first topic: the file's title)
//   .copyright Text                 (before the first topic)
//   .topic context_name [number]    (starts a topic; the number is its context number)
//   .title Topic title              (in a topic: its title, shown as its first line)
//   Paragraph text, over as many lines as it takes, with {context_name|jumps} to
//   other topics. A blank line ends a paragraph.
//
// The first topic is the contents topic.
#pragma once

#include <string_view>

#include "hlp_writer.h"

namespace hlp {

// Throws HelpFormatError naming the line for anything it does not understand.
HelpDocument ParseHelpSource(std::string_view source);

}  // namespace hlp
