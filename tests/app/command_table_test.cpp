#include "app/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using app::Element;
using app::Shortcut;

TEST(CommandTable, ShortcutTextAsMenusShowIt) {
    struct Case {
        Shortcut shortcut;
        const char* text;
    } cases[] = {
        {{'N', true}, "Ctrl+N"},
        {{app::key::F3}, "F3"},
        {{app::key::F2}, "F2"},
        {{app::key::F5, false, true}, "Shift+F5"},
        {{app::key::F1}, "F1"},
        {{app::key::F24}, "F24"},
        {{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(app::ShortcutText(c.shortcut), c.text);
}

TEST(CommandTable, EachShortcutHasOneOwnerAndCtrlXIsCut) {
    std::set<std::string> seen;
    for (const auto& e : app::MenuTable()) {
        if (e.shortcut.key == 0) continue;
        EXPECT_TRUE(seen.insert(app::ShortcutText(e.shortcut)).second) << e.name;
    }
    const auto* ctrlX = app::FindShortcutOwner({'X', true});
    ASSERT_NE(ctrlX, nullptr);
    EXPECT_EQ(ctrlX->element, Element::Cut1);
    EXPECT_EQ(app::FindMenuEntry(Element::Exit1)->shortcut.key, 0u);
    EXPECT_EQ(app::FindShortcutOwner({'X', true, true}), nullptr);  // Ctrl+Shift+X is no shortcut
}

TEST(CommandTable, ItemsBelongToTheirMenus) {
    struct Case {
        Element item;
        Element popup;
    } cases[] = {
        {Element::New1, Element::File1},   {Element::Exit1, Element::File1}, {Element::Undo1, Element::Edit1},
        {Element::A2, Element::Edit1},     {Element::S1, Element::N6},       {Element::RestoreAll, Element::V1},
        {Element::About1, Element::Help1},
    };
    for (const auto& c : cases) {
        const auto* parent = app::ParentPopup(*app::FindMenuEntry(c.item));
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(parent->element, c.popup);
    }
    // The generation command stands on the menu bar itself.
    EXPECT_EQ(app::ParentPopup(*app::FindMenuEntry(Element::Transfer)), nullptr);
}

TEST(CommandTable, TooltipIsTheHintBeforeTheBar) {
    EXPECT_EQ(app::ShortHint(app::FindToolButton(Element::fileSave)->hint), "保存文件");
    EXPECT_EQ(app::ShortHint(app::FindToolButton(Element::findBtn)->hint), "查找");
    EXPECT_EQ(app::ShortHint(app::FindToolButton(Element::BeginTransfer)->hint), "生成新库");
}

TEST(CommandTable, ToolButtonsStandLeftToRightWithoutOverlap) {
    int right = 0;
    for (const auto& b : app::ToolButtonTable()) {
        EXPECT_GE(b.x, right) << b.name;
        EXPECT_GE(b.width, 37) << b.name;
        EXPECT_LE(b.width, 43) << b.name;
        right = b.x + b.width;
    }
}

}  // namespace
