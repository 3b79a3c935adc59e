#include "app/command_states.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using app::ActiveDocumentFacts;
using app::CommandStates;
using app::Element;
using E = Element;

const std::initializer_list<Element> kDocumentCommands = {
    E::Save1,   E::fileSave, E::Paste1,   E::pasteBtn, E::Find1,         E::findBtn,  E::Replace1,
    E::Replace, E::l1,       E::A2,       E::Transfer, E::BeginTransfer, E::Cascade1, E::TileH,
    E::TileV,   E::Arrange,  E::CloseAll, E::MinAll,   E::RestoreAll};
const std::initializer_list<Element> kAlwaysEnabled = {E::New1,  E::fileNew, E::Open1,  E::fileOpen,  E::SaveAs1,
                                                       E::Exit1, E::S1,      E::LibMan, E::Contents1, E::About1};

TEST(CommandStates, BeforeTheFirstRefreshOnlySomeButtonsAreDisabled) {
    CommandStates s;
    for (E e : {E::fileSave, E::cutBtn, E::copyBtn, E::findBtn, E::BeginTransfer, E::Replace})
        EXPECT_FALSE(s.enabled(e)) << static_cast<int>(e);
    for (E e : {E::Save1, E::Undo1, E::Cut1, E::Copy1, E::pasteBtn, E::Transfer, E::fileNew})
        EXPECT_TRUE(s.enabled(e)) << static_cast<int>(e);
}

TEST(CommandStates, RefreshWithoutDocumentDisablesTheDocumentCommands) {
    CommandStates s;
    s.Refresh({});
    for (E e : kDocumentCommands) EXPECT_FALSE(s.enabled(e)) << static_cast<int>(e);
    for (E e : {E::Cut1, E::Copy1, E::Undo1, E::cutBtn, E::copyBtn}) EXPECT_FALSE(s.enabled(e)) << static_cast<int>(e);
    for (E e : kAlwaysEnabled) EXPECT_TRUE(s.enabled(e)) << static_cast<int>(e);
}

TEST(CommandStates, RefreshWithDocumentFollowsItsFacts) {
    CommandStates s;
    s.Refresh({});
    s.Refresh({true, false, false});
    for (E e : kDocumentCommands) EXPECT_TRUE(s.enabled(e)) << static_cast<int>(e);
    EXPECT_FALSE(s.enabled(E::Cut1));
    EXPECT_FALSE(s.enabled(E::Undo1));
    EXPECT_FALSE(s.enabled(E::Copy1));   // keeps its state with a document
    EXPECT_FALSE(s.enabled(E::cutBtn));  // the tool buttons follow the selection only

    s.Refresh({true, true, true});
    EXPECT_FALSE(s.enabled(E::Undo1));  // modified, but nothing the editor can take back
    EXPECT_TRUE(s.enabled(E::Cut1));
    s.Refresh({true, false, false, true});
    EXPECT_TRUE(s.enabled(E::Undo1));  // saved, and still a change to take back
    EXPECT_FALSE(s.enabled(E::Copy1));
    EXPECT_FALSE(s.enabled(E::cutBtn));
}

TEST(CommandStates, SelectionAndUndoRules) {
    CommandStates s;
    s.Refresh({true, true, false});
    s.SelectionChanged(true);
    for (E e : {E::Cut1, E::Copy1, E::cutBtn, E::copyBtn}) EXPECT_TRUE(s.enabled(e));
    s.SelectionChanged(false);
    for (E e : {E::Cut1, E::Copy1, E::cutBtn, E::copyBtn}) EXPECT_FALSE(s.enabled(e));

    // Undo follows the editor's answer after every change, whatever the modified flag.
    s.UndoChanged(true);
    EXPECT_TRUE(s.enabled(E::Undo1));
    s.UndoChanged(false);
    EXPECT_FALSE(s.enabled(E::Undo1));
}

TEST(CommandStates, ClosingTheLastDocumentDisablesCopyThatSelectionEnabled) {
    CommandStates s;
    s.Refresh({true, false, false});
    s.SelectionChanged(true);
    s.Refresh({});
    EXPECT_FALSE(s.enabled(E::Copy1));
    EXPECT_FALSE(s.enabled(E::Cut1));
    // The tool buttons keep what the last selection change gave them.
    EXPECT_TRUE(s.enabled(E::copyBtn));
}

}  // namespace
