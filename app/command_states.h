#pragma once
// The enabled state of every menu item and tool button, and the rules that change it.
// Window-free: the main window feeds it plain facts and applies the result.
#include <array>

#include "app/command_table.h"

namespace app {

struct ActiveDocumentFacts {
    bool present = false;       // there is an active document window
    bool modified = false;      // its editor reports the text modified
    bool hasSelection = false;  // its editor's selection is not empty
    bool canUndo = false;       // its editor has a change it can take back
};

class CommandStates {
public:
    // As the window is built, before the first refresh.
    CommandStates();

    bool enabled(Element e) const { return enabled_[static_cast<std::size_t>(e)]; }
    void set(Element e, bool on) { enabled_[static_cast<std::size_t>(e)] = on; }

    // Runs whenever the active window changes.
    void Refresh(const ActiveDocumentFacts& facts);
    // A document's editor changed its selection.
    void SelectionChanged(bool selectionNotEmpty);
    // The active editor's text changed, or it took a change back: whether it can undo now.
    void UndoChanged(bool canUndo);

    friend bool operator==(const CommandStates&, const CommandStates&) = default;

private:
    std::array<bool, kElementCount> enabled_{};
};

}  // namespace app
