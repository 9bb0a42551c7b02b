// The resource converter: reads resource scripts (a subset of the classic syntax, UTF-8) and
// writes the C++ tables the window layer loads. Texts become GBK.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

// A script error: where it is and what is wrong.
struct RcError : std::runtime_error {
    RcError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": error: " + what), file(file),
          line(line), message(what) {}
    std::string file;
    int line;
    std::string message;
};

struct DialogItem {
    std::string className;
    std::string text; // GBK
    long id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    uint32_t style = 0, exStyle = 0;
};

struct Dialog {
    long id = 0;
    std::string caption;
    uint32_t style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int pointSize = 0;
    std::string face;
    std::vector<DialogItem> items;
};

struct MenuItem {
    int depth = 0;
    uint32_t flags = 0;
    long id = 0;
    std::string text;
};

struct Menu {
    long id = 0;
    std::vector<MenuItem> items;
};

struct Accel {
    int fVirt = 0;
    int key = 0;
    long cmd = 0;
};

struct AccelTable {
    long id = 0;
    std::vector<Accel> entries;
};

struct ToolBar {
    long id = 0;
    int cx = 0, cy = 0;
    std::vector<long> buttons;
};

struct Image {
    int kind = 0;
    long id = 0;
    std::string name; // set when the script names the resource
    std::vector<unsigned char> data;
};

// Initial data of a dialog's controls: each entry is a message (CB_ADDSTRING and kin) sent with
// its text to one control once the dialog exists.
struct DlgInitEntry {
    long control = 0;
    long message = 0;
    std::string text; // GBK
};

struct DlgInit {
    long id = 0;
    std::vector<DlgInitEntry> entries;
};

struct Script {
    std::map<long, std::string> strings;
    std::vector<Dialog> dialogs;
    std::vector<Menu> menus;
    std::vector<AccelTable> accels;
    std::vector<ToolBar> toolbars;
    std::vector<Image> images;
    std::vector<DlgInit> dlgInits;
    std::map<std::string, long> defines;
};

// Parses one script into script (which may already hold earlier scripts' resources). Files the
// script names (#include, images) are found beside it. Throws RcError.
void ParseScript(const std::string& text, const std::string& fileName, Script& script);
void ParseFile(const std::string& path, Script& script);

// The generated source: the tables and their registration.
std::string EmitCpp(const Script& script);

// The value of a style, id or key name the scripts may use; false when unknown.
bool KnownConstant(const std::string& name, long& value);

} // namespace rc
