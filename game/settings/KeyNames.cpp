#include "game/settings/KeyNames.h"

#include <irrlicht.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace KeyNames {
namespace {

struct KeyRow {
    int code;
    const char* name;
};

constexpr KeyRow kNamed[] = {
    {irr::KEY_BACK, "BACKSPACE"},   {irr::KEY_TAB, "TAB"},          {irr::KEY_RETURN, "RETURN"},
    {irr::KEY_SHIFT, "SHIFT"},      {irr::KEY_CONTROL, "CONTROL"},  {irr::KEY_MENU, "ALT"},
    {irr::KEY_PAUSE, "PAUSE"},      {irr::KEY_CAPITAL, "CAPS LOCK"}, {irr::KEY_ESCAPE, "ESCAPE"},
    {irr::KEY_SPACE, "SPACE"},      {irr::KEY_PRIOR, "PAGE UP"},    {irr::KEY_NEXT, "PAGE DOWN"},
    {irr::KEY_END, "END"},          {irr::KEY_HOME, "HOME"},        {irr::KEY_LEFT, "LEFT"},
    {irr::KEY_UP, "UP"},            {irr::KEY_RIGHT, "RIGHT"},      {irr::KEY_DOWN, "DOWN"},
    {irr::KEY_INSERT, "INSERT"},    {irr::KEY_DELETE, "DELETE"},    {irr::KEY_MULTIPLY, "KEYPAD *"},
    {irr::KEY_ADD, "KEYPAD +"},     {irr::KEY_SUBTRACT, "KEYPAD -"}, {irr::KEY_DECIMAL, "KEYPAD ."},
    {irr::KEY_DIVIDE, "KEYPAD /"},  {irr::KEY_LSHIFT, "LEFT SHIFT"}, {irr::KEY_RSHIFT, "RIGHT SHIFT"},
    {irr::KEY_LCONTROL, "LEFT CONTROL"}, {irr::KEY_RCONTROL, "RIGHT CONTROL"},
    {irr::KEY_LMENU, "LEFT ALT"},   {irr::KEY_RMENU, "RIGHT ALT"},  {irr::KEY_PLUS, "PLUS"},
    {irr::KEY_COMMA, "COMMA"},      {irr::KEY_MINUS, "MINUS"},      {irr::KEY_PERIOD, "PERIOD"},
};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

}  // namespace

std::string Name(int key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= irr::KEY_NUMPAD0 && key <= irr::KEY_NUMPAD9) return "KEYPAD " + std::to_string(key - irr::KEY_NUMPAD0);
    if (key >= irr::KEY_F1 && key <= irr::KEY_F24) return "F" + std::to_string(key - irr::KEY_F1 + 1);
    for (const KeyRow& row : kNamed)
        if (row.code == key) return row.name;
    return "KEY " + std::to_string(key);
}

int Code(const std::string& name)
{
    const std::string upper = Upper(name);
    // "KEY 123" (a key without a name) or a plain number of two digits or more is a key code.
    const bool keyPrefix = upper.rfind("KEY ", 0) == 0;
    const std::string digits = keyPrefix ? upper.substr(4) : upper;
    const bool allDigits = !digits.empty() &&
                           std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
    if (allDigits && (keyPrefix || digits.size() > 1)) {
        const long code = digits.size() > 3 ? -1 : std::strtol(digits.c_str(), nullptr, 10);
        return code >= 1 && code < irr::KEY_KEY_CODES_COUNT ? static_cast<int>(code) : -1;
    }
    for (int code = 1; code < irr::KEY_KEY_CODES_COUNT; ++code)
        if (Name(code) == upper) return code;
    return -1;
}

bool IsMatchKey(int key)
{
    return (key >= irr::KEY_F1 && key <= irr::KEY_F12) || key == irr::KEY_ESCAPE || key == irr::KEY_PLUS ||
           key == irr::KEY_MINUS || key == irr::KEY_ADD || key == irr::KEY_SUBTRACT;
}

bool IsBindable(int key)
{
    return key >= 1 && key < irr::KEY_KEY_CODES_COUNT && !IsMatchKey(key);
}

}  // namespace KeyNames
