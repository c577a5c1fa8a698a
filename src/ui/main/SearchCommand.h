#pragma once

#include <functional>

namespace kv::ui {

// A command that works on found pictures: a search window in the command's
// mode, the search, then the follow-up window over the pictures found.
struct SearchCommand {
    std::function<bool()> openSearch;  // true when the search window closed with OK
    std::function<bool()> runSearch;   // true when pictures were found
    std::function<bool()> followUp;    // true when the follow-up window closed with OK
    bool reportCancel = false;         // copy, move, album and delete windows say "Operation Canceled"
    std::function<void()> afterOk;     // what follows an OK (the screen-saver question)
};

// Runs the command; true when the follow-up window closed with OK.
bool runSearchCommand(const SearchCommand& command);

}  // namespace kv::ui
