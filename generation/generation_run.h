#pragma once
// The generation run: the active document through the compiler into its message pane.
namespace app {
class TMDIForm;
}

namespace generation {

void RunGeneration(app::TMDIForm& form);

}  // namespace generation
