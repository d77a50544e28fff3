// German texts for the errno values that a step on a user's file can end
// with: the one place where an operating-system error becomes a message.
#pragma once

#include <string>

namespace vrx {

// "Keine Berechtigung", "Kein Platz mehr auf dem Datenträger", ...; values
// without a German text of their own give the C library's text.
std::string ErrorText(int error);

}  // namespace vrx
