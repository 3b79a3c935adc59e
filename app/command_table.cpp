#include "app/command_table.h"

namespace app {

namespace {

constexpr Shortcut None{};
constexpr Shortcut Ctrl(char c) { return Shortcut{static_cast<unsigned>(c), true, false, false}; }
constexpr Shortcut Plain(unsigned k) { return Shortcut{k, false, false, false}; }
constexpr Shortcut Shift(unsigned k) { return Shortcut{k, false, true, false}; }

using E = Element;
using C = Command;
using K = MenuKind;

// Exit has no shortcut: Ctrl+X belongs to Cut, and Alt+F4 closes the window anyway.
constexpr MenuEntry kMenu[] = {
    {E::File1, "File1", K::Popup, "&F.文件", None, C::None, false},
    {E::New1, "New1", K::Item, "&N.编辑新文件", Ctrl('N'), C::New, false},
    {E::Open1, "Open1", K::Item, "&O.打开原有文件", Plain(key::F3), C::Open, false},
    {E::Save1, "Save1", K::Item, "&S.保存", Plain(key::F2), C::Save, false},
    {E::SaveAs1, "SaveAs1", K::Item, "&A.另存为", None, C::SaveAs, false},
    {E::N1, "N1", K::Separator, "-", None, C::None, false},
    {E::Exit1, "Exit1", K::Item, "&Q.退出", None, C::Exit, false},
    {E::Edit1, "Edit1", K::Popup, "&E.编辑", None, C::None, false},
    {E::Undo1, "Undo1", K::Item, "&U.恢复", Ctrl('Z'), C::Undo, false},
    {E::N2, "N2", K::Separator, "-", None, C::None, false},
    {E::Cut1, "Cut1", K::Item, "&T.剪切", Ctrl('X'), C::Cut, false},
    {E::Copy1, "Copy1", K::Item, "&C.拷贝", Ctrl('C'), C::Copy, false},
    {E::Paste1, "Paste1", K::Item, "&P.粘贴", Ctrl('V'), C::Paste, false},
    {E::N3, "N3", K::Separator, "-", None, C::None, false},
    {E::Find1, "Find1", K::Item, "&F.查找. . .", Ctrl('F'), C::Find, false},
    {E::Replace1, "Replace1", K::Item, "&R.替换. . . ", Ctrl('R'), C::Replace, false},
    {E::N7, "N7", K::Separator, "-", None, C::None, false},
    {E::l1, "l1", K::Item, "&L.清除", None, C::Clear, false},
    {E::A2, "A2", K::Item, "&A.全部选中", None, C::SelectAll, false},
    {E::N6, "N6", K::Popup, "&T.工具", None, C::None, false},
    {E::S1, "S1", K::Item, "&E.词库编辑器", None, C::LexiconEditor, false},
    {E::L2, "L2", K::Item, "&S.词库优先顺序", None, C::None, true},
    {E::V1, "V1", K::Popup, "&W.窗口", None, C::None, false},
    {E::Cascade1, "Cascade1", K::Item, "&C.层    叠", Shift(key::F5), C::Cascade, false},
    {E::TileH, "TileH", K::Item, "&H.水平平铺", Shift(key::F4), C::TileHorizontal, false},
    {E::TileV, "TileV", K::Item, "&V.垂直平铺", None, C::TileVertical, false},
    {E::Arrange, "Arrange", K::Item, "&I.排列图标", None, C::ArrangeIcons, false},
    {E::N4, "N4", K::Separator, "-", None, C::None, false},
    {E::CloseAll, "CloseAll", K::Item, "&A.全部关闭", None, C::CloseAll, false},
    {E::MinAll, "MinAll", K::Item, "&M.全部最小化", None, C::MinimizeAll, false},
    {E::RestoreAll, "RestoreAll", K::Item, "&R.全部恢复", None, C::RestoreAll, false},
    {E::Transfer, "Transfer", K::BarCommand, "&C.开始转换", None, C::Generate, false},
    {E::Help1, "Help1", K::Popup, "&H.帮助", None, C::None, false},
    {E::Contents1, "Contents1", K::Item, "&C.内容", None, C::HelpContents, false},
    {E::SearchforHelpOn1, "SearchforHelpOn1", K::Item, "&S.如何使用帮助...", None, C::None, true},
    {E::N8, "N8", K::Separator, "-", None, C::None, false},
    {E::About1, "About1", K::Item, "&A.关于...", None, C::About, false},
};

constexpr ToolButtonEntry kToolButtons[] = {
    {E::fileNew, "fileNew", "新建", "新建|创建一个新文件进行编辑", 6, 37, C::New, false, true},
    {E::fileOpen, "fileOpen", "打开", "打开|编辑原有的文件", 47, 37, C::Open, false, true},
    {E::fileSave, "fileSave", "存盘", "保存文件|将当前文件保存到磁盘上", 87, 37, C::Save, false, false},
    {E::cutBtn, "cutBtn", "剪切", "剪切|剪切选中的文本", 134, 37, C::Cut, false, false},
    {E::copyBtn, "copyBtn", "拷贝", "拷贝|复制选中的文本到剪贴板", 175, 37, C::Copy, false, false},
    {E::pasteBtn, "pasteBtn", "粘贴", "粘贴|将剪贴板中的内容拷贝到当前位置", 216, 37, C::Paste, false, true},
    {E::findBtn, "findBtn", "查找", "查找", 259, 37, C::Find, false, false},
    {E::Replace, "Replace", "替换", "替换", 301, 37, C::Replace, false, false},
    {E::BeginTransfer, "BeginTransfer", "生成", "生成新库|将当前编辑的文件转换成词库文件", 348, 37, C::Generate, false,
     false},
    {E::LibMan, "LibMan", "编辑", "对已有词库进行编辑|对已有词库进行增、删、改", 386, 37, C::LexiconEditor, false,
     true},
    {E::adjLib, "adjLib", "设置", "设置词库优先顺序|改变使用词库的优先次序", 426, 43, C::None, true, true},
};

}  // namespace

std::span<const MenuEntry> MenuTable() { return kMenu; }
std::span<const ToolButtonEntry> ToolButtonTable() { return kToolButtons; }

const MenuEntry* FindMenuEntry(Element element) {
    for (const auto& e : kMenu)
        if (e.element == element) return &e;
    return nullptr;
}

const ToolButtonEntry* FindToolButton(Element element) {
    for (const auto& b : kToolButtons)
        if (b.element == element) return &b;
    return nullptr;
}

bool IsToolButton(Element element) { return FindToolButton(element) != nullptr; }

std::string ShortcutText(const Shortcut& s) {
    if (s.key == 0) return {};
    std::string text;
    if (s.ctrl) text += "Ctrl+";
    if (s.shift) text += "Shift+";
    if (s.alt) text += "Alt+";
    if (s.key >= key::F1 && s.key <= key::F24) {
        text += "F" + std::to_string(s.key - key::F1 + 1);
    } else {
        text += static_cast<char>(s.key);
    }
    return text;
}

const MenuEntry* FindShortcutOwner(const Shortcut& shortcut) {
    if (shortcut.key == 0) return nullptr;
    // Alt+Backspace is the platform's other undo key: it belongs to the item of Ctrl+Z,
    // so both take the same change back and both follow its state.
    const Shortcut kAltBackspace{0x08, false, false, true};
    const Shortcut wanted = shortcut == kAltBackspace ? Ctrl('Z') : shortcut;
    for (const auto& e : kMenu)
        if (!e.hidden && e.shortcut == wanted) return &e;
    return nullptr;
}

const MenuEntry* ParentPopup(const MenuEntry& item) {
    const MenuEntry* popup = nullptr;
    for (const auto& e : kMenu) {
        if (e.kind == MenuKind::Popup) popup = &e;
        if (e.kind == MenuKind::BarCommand) popup = nullptr;
        if (&e == &item) return e.kind == MenuKind::Item || e.kind == MenuKind::Separator ? popup : nullptr;
    }
    return nullptr;
}

std::string_view ShortHint(std::string_view hint) {
    auto bar = hint.find('|');
    return bar == std::string_view::npos ? hint : hint.substr(0, bar);
}

}  // namespace app
