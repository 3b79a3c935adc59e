#pragma once
// The generation run (B1Click): the active document's text goes through the compiler,
// and the compiler's messages come back into the document's message pane.
namespace documents {
class Frame;
}

namespace generation {

class ConfirmSlot;

// Does nothing without an active document. Failures to write temp.trs or to read
// Mervik.ERR leave as win::CommandError, after the editor and the button are restored.
// The run's properties dialog takes the slot's place.
void RunGeneration(documents::Frame& frame, ConfirmSlot& properties);

}  // namespace generation
