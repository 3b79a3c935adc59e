#pragma once
// The main window's commands as data: every menu item and tool button with its
// caption, shortcut, hint and command. Window-free, so it is tested on the host.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace app {

// What a menu item or tool button does; one handler of the main window each.
enum class Command {
    None,
    New,
    Open,
    Save,
    SaveAs,
    Exit,
    Undo,
    Cut,
    Copy,
    Paste,
    Find,
    Replace,
    Clear,
    SelectAll,
    LexiconEditor,
    Cascade,
    TileHorizontal,
    TileVertical,
    ArrangeIcons,
    CloseAll,
    MinimizeAll,
    RestoreAll,
    Generate,
    HelpContents,
    About,
};

// Every menu item and tool button by its component name.
enum class Element : std::uint8_t {
    File1,
    New1,
    Open1,
    Save1,
    SaveAs1,
    N1,
    Exit1,
    Edit1,
    Undo1,
    N2,
    Cut1,
    Copy1,
    Paste1,
    N3,
    Find1,
    Replace1,
    N7,
    l1,
    A2,
    N6,
    S1,
    L2,
    V1,
    Cascade1,
    TileH,
    TileV,
    Arrange,
    N4,
    CloseAll,
    MinAll,
    RestoreAll,
    Transfer,
    Help1,
    Contents1,
    SearchforHelpOn1,
    N8,
    About1,
    fileNew,
    fileOpen,
    fileSave,
    cutBtn,
    copyBtn,
    pasteBtn,
    findBtn,
    Replace,
    BeginTransfer,
    LibMan,
    adjLib,
    Count
};
constexpr std::size_t kElementCount = static_cast<std::size_t>(Element::Count);

// Virtual-key codes used by the shortcuts (the same values as <windows.h>).
namespace key {
constexpr unsigned F1 = 0x70, F2 = 0x71, F3 = 0x72, F4 = 0x73, F5 = 0x74, F24 = 0x87;
}

struct Shortcut {
    unsigned key = 0;  // 0: none
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

enum class MenuKind { Popup, Item, Separator, BarCommand };

struct MenuEntry {
    Element element;
    const char* name;
    MenuKind kind;
    const char* caption;  // GBK
    Shortcut shortcut;
    Command command;
    bool hidden;
};

struct ToolButtonEntry {
    Element element;
    const char* name;
    const char* caption;  // shown under the image
    const char* hint;     // short part | long part
    int x;                // at 120 dpi, like every design size
    int width;
    Command command;
    bool hidden;
    bool initiallyEnabled;
};

// The menu bar in menu order: each popup followed by its items (depth first).
std::span<const MenuEntry> MenuTable();
// The tool bar from left to right.
std::span<const ToolButtonEntry> ToolButtonTable();

const MenuEntry* FindMenuEntry(Element element);
const ToolButtonEntry* FindToolButton(Element element);
bool IsToolButton(Element element);

// The shortcut as menus show it: "Ctrl+N", "F3", "Shift+F5".
std::string ShortcutText(const Shortcut& shortcut);

// The first visible item in menu order that carries the shortcut, or null.
const MenuEntry* FindShortcutOwner(const Shortcut& shortcut);
// The popup that holds the item (null for a command on the bar itself).
const MenuEntry* ParentPopup(const MenuEntry& item);

// The part of a hint before the bar: the tooltip.
std::string_view ShortHint(std::string_view hint);

}  // namespace app
