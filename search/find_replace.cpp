#include "search/find_replace.h"

#include "app/batadd.h"

namespace search {

FindReplace::FindReplace(app::TMDIForm& form) : form_(form) {}
FindReplace::~FindReplace() = default;

void FindReplace::ShowFind() {}
void FindReplace::ShowReplace() { form_.FindBeforeReplace = true; }
bool FindReplace::TranslateDialogMessage(MSG&) { return false; }
bool FindReplace::HandleMessage(UINT, WPARAM, LPARAM) { return false; }

}  // namespace search
