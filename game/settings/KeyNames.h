// Names of the engine's key codes as the options screen shows them and the settings file
// writes them ("X", "TAB", "UP"), and the keys a player may bind to a tank action.
#pragma once

#include <string>

namespace KeyNames {

// The key's name; a key without one is "KEY " followed by its code.
std::string Name(int key);
// The code of a name as Name gives it (upper or lower case) or a plain code 1 to 255;
// -1 when it is neither.
int Code(const std::string& name);
// F1 to F12, Escape, plus and minus (the keypad's too) belong to the match and are never
// bound to a tank action.
bool IsMatchKey(int key);
// A key a tank action may have: a real key code that is not a match key.
bool IsBindable(int key);

}  // namespace KeyNames
