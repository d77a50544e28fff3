// The program's help: a German HTML page. An installed vrx opens the page
// installed beside it (share/doc/parlind/ under its prefix); otherwise the copy
// shipped inside the program is written to the user's cache folder and shown
// from there, in the desktop's browser.
// The search form opens the section of its help context (0x20066), the results
// dialog the start of the page. "Failed to launch help." when it cannot be
// shown.
#pragma once

#include <QString>

class QWidget;

namespace vrx {

class UserDialogs;

// The page's section for the search form (help context 0x20066).
inline constexpr const char* kSearchFormHelpTopic = "kontext-20066";

// Shows the help page at `topic` (an anchor of the page; empty for its start).
// False, after the message, when it could not be shown.
bool ShowHelp(UserDialogs& dialogs, QWidget* parent, const QString& topic);

// The installed page as seen from the folder of the program file
// (`programDir`/../share/doc/parlind/vrx-hilfe.html for the usual layout);
// empty when there is none.
QString InstalledHelpPage(const QString& programDir);

// Writes the shipped page to `path` (unless it holds the same text already).
bool WriteHelpPage(const QString& path);

}  // namespace vrx
