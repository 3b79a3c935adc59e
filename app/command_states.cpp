#include "app/command_states.h"

namespace app {

CommandStates::CommandStates() {
    enabled_.fill(true);
    for (const auto& b : ToolButtonTable()) set(b.element, b.initiallyEnabled);
}

void CommandStates::Refresh(const ActiveDocumentFacts& facts) {
    set(Element::fileSave, facts.present);
    set(Element::Save1, facts.present);
    if (!facts.present) {
        set(Element::Copy1, false);
        set(Element::Cut1, false);
    }
    for (Element e : {Element::A2, Element::l1, Element::Replace1, Element::Find1, Element::findBtn, Element::Replace,
                      Element::Transfer, Element::BeginTransfer, Element::Arrange, Element::TileV, Element::TileH,
                      Element::Cascade1, Element::MinAll, Element::RestoreAll, Element::CloseAll})
        set(e, facts.present);
    set(Element::Undo1, facts.present && facts.canUndo);
    set(Element::Cut1, facts.present && facts.hasSelection);
    set(Element::pasteBtn, facts.present);
    set(Element::Paste1, facts.present);
}

void CommandStates::SelectionChanged(bool selectionNotEmpty) {
    for (Element e : {Element::Cut1, Element::Copy1, Element::cutBtn, Element::copyBtn}) set(e, selectionNotEmpty);
}

void CommandStates::UndoChanged(bool canUndo) { set(Element::Undo1, canUndo); }

}  // namespace app
