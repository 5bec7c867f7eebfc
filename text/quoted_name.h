// Names of files as messages print them: on one line whatever bytes they hold.
#pragma once

#include <string>
#include <string_view>

namespace wqnprep {

// `name` as it is, or, when it holds a control character (a line feed, a tab, ...), in the
// shell's quoting, as coreutils prints such names: 'a'$'\n''b'. Pasted into a shell, the quoted
// form gives the name back.
std::string printableName(std::string_view name);

// `name` between single quotes, as messages print a name: 'out.sql', or, when it holds a control
// character, printableName's quoting, which brings its own quotes.
std::string quotedName(std::string_view name);

}  // namespace wqnprep
