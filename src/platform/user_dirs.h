// The user's folders and identity that the actions need: the data and state
// folders of the XDG base directory rules, the home folder, the user id and
// the working directory.
#pragma once

#include <cstdint>
#include <string>

namespace vrx {

// $HOME, or the password database's home folder.
std::string HomeFolder();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string DataHomeFolder();
// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::string StateHomeFolder();
uint32_t CurrentUserId();
// The working directory, for paths given relative to it ("" when unknown).
std::string WorkingFolder();

}  // namespace vrx
